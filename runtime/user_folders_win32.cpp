#include <shlobj.h>

#include "runtime/files.h"
#include "runtime/path.h"
#include "runtime/user_folders.h"
#include "runtime/windows_api.h"
#include "runtime/windows_text.h"

namespace {

String KnownFolder(REFKNOWNFOLDERID id) {
  wchar_t* path = nullptr;
  String folder;
  if (SHGetKnownFolderPath(id, 0, nullptr, &path) == S_OK) folder = String::Copy(Utf8Text(path));
  CoTaskMemFree(path);
  return folder;
}

}  // namespace

String DocumentsFolder() {
  String documents = KnownFolder(FOLDERID_Documents);
  return !documents.Empty() && FolderExists(documents) ? documents : CurrentDirectory();
}

// Run from a folder it may write (unzipped onto the desktop, a USB stick), the program
// keeps its files beside itself, as the original did; from Program Files, in the
// user's local application data.
String WritableFolderFor(const String& programFile, const char* name, const char*, const char*) {
  String programFolder = DirectoryPart(FullPath(programFile));
  if (FolderWritable(programFolder)) return Concatenate(AddSeparator(programFolder), name);
  String base = KnownFolder(FOLDERID_LocalAppData);
  if (base.Empty()) base = GetEnvironment("LOCALAPPDATA");
  return Concatenate(Concatenate(AddSeparator(base), "Quarnet\\"), name);
}
