#include "runtime/user_folders.h"

#include <cerrno>
#include <string>

#include "runtime/files.h"
#include "runtime/path.h"

bool ProgramIsInstalled(const String& programFile) {
  String folder = DirectoryPart(FullPath(programFile));
  return FileExists(Concatenate(AddSeparator(DirectoryPart(folder)), "share/quarnet"));
}

bool MakeFolderPath(const String& folder) {
  std::string path(folder.View());
  // The folders above, from the first below the root (or the drive) down.
  for (size_t separator = path.find_first_of("/\\", 1); separator != std::string::npos;
       separator = path.find_first_of("/\\", separator + 1)) {
    if (separator > 0 && path[separator - 1] == ':') continue;
    MakeFolder(String::Copy(path.substr(0, separator)));
  }
  if (MakeFolder(folder)) return true;
  if (LastOsErrorNumber() != EEXIST) return false;
  if (FolderExists(folder)) return true;
  SetLastOsError(ENOTDIR);  // a file stands where the folder should be
  return false;
}
