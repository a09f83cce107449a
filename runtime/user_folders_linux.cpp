#include "runtime/user_folders.h"

#include "runtime/files.h"
#include "runtime/ini_file.h"
#include "runtime/path.h"

String XdgFolder(const char* variable, const char* belowHome) {
  // A relative value is invalid and ignored, as the base directory rules say.
  String configured = GetEnvironment(String::Constant(variable));
  if (configured[0] == '/') return configured;
  String home = GetEnvironment("HOME");
  if (home.Empty()) return {};
  return Concatenate(AddSeparator(home), belowHome);
}

namespace {

// XDG_DOCUMENTS_DIR="$HOME/Documents" from the desktop's user-dirs.dirs, with $HOME
// put in; empty when the file or the line is missing.
String ConfiguredDocuments(const String& home) {
  String file = Concatenate(AddSeparator(XdgFolder("XDG_CONFIG_HOME", ".config")), "user-dirs.dirs");
  String value = ReadIniQuietly(file, "XDG_DOCUMENTS_DIR");
  std::string_view text = value.View();
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return {};
  text = text.substr(1, text.size() - 2);
  if (text.starts_with("$HOME")) return Concatenate(home, text.substr(5));
  return text.starts_with('/') ? String::Copy(text) : String();
}

}  // namespace

String DocumentsFolder() {
  String home = GetEnvironment("HOME");
  if (home.Empty()) return CurrentDirectory();
  String configured = ConfiguredDocuments(home);
  if (!configured.Empty() && FolderExists(configured)) return configured;
  String documents = Concatenate(AddSeparator(home), "Documents");
  return FolderExists(documents) ? documents : home;
}

String WritableFolderFor(const String& programFile, const char* name, const char* variable, const char* belowHome) {
  String programFolder = DirectoryPart(FullPath(programFile));
  if (!ProgramIsInstalled(programFile) && FolderWritable(programFolder)) {
    return Concatenate(AddSeparator(programFolder), name);
  }
  String base = XdgFolder(variable, belowHome);
  return Concatenate(Concatenate(AddSeparator(base), "quarnet/"), name);
}
