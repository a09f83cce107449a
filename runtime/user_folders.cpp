#include "runtime/user_folders.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/files.h"
#include "runtime/path.h"

String XdgFolder(const char* variable, const char* belowHome) {
  // A relative value is invalid and ignored, as the base directory rules say.
  String configured = GetEnvironment(String::Constant(variable));
  if (configured[0] == '/') return configured;
  String home = GetEnvironment("HOME");
  if (home.Empty()) return {};
  return Concatenate(AddSeparator(home), belowHome);
}

bool ProgramIsInstalled(const String& programFile) {
  String folder = DirectoryPart(FullPath(programFile));
  return FileExists(Concatenate(AddSeparator(DirectoryPart(folder)), "share/quarnet"));
}

String WritableFolderFor(const String& programFile, const char* name, const char* variable, const char* belowHome) {
  String programFolder = DirectoryPart(FullPath(programFile));
  if (!ProgramIsInstalled(programFile) && access(NativeName(programFolder).Data(), W_OK) == 0) {
    return Concatenate(AddSeparator(programFolder), name);
  }
  String base = XdgFolder(variable, belowHome);
  return Concatenate(Concatenate(AddSeparator(base), "quarnet/"), name);
}

bool MakeFolderPath(const String& folder) {
  std::string path(folder.View());
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
  if (MakeFolder(folder)) return true;
  if (LastOsErrorNumber() != EEXIST) return false;
  struct stat status;
  if (stat(NativeName(folder).Data(), &status) == 0 && S_ISDIR(status.st_mode)) return true;
  SetLastOsError(ENOTDIR);  // a file stands where the folder should be
  return false;
}
