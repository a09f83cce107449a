#include "testing/special_files.h"

bool MakeFifo(const std::string&) { return false; }
