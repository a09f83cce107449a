#include <sys/stat.h>

#include "testing/special_files.h"

bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }
