#include <climits>
#include <unistd.h>

#include "runtime/path.h"

const bool ColonEndsDrive = false;

String CurrentDirectory() {
  char folder[PATH_MAX];
  if (getcwd(folder, sizeof folder) == nullptr) return {};
  return String::Copy(folder);
}
