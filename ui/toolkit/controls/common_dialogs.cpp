#include "ui/toolkit/controls/common_dialogs.h"

#include <string>
#include <utility>
#include <vector>

namespace {

// The file name buffer of the dialog: 1024 bytes with the terminator.
constexpr size_t FileNameRoom = 1023;

std::vector<std::pair<std::string, std::string>> FilterPairs(const char* filter) {
  std::vector<std::pair<std::string, std::string>> pairs;
  while (filter != nullptr && *filter != '\0') {
    std::string description = filter;
    filter += description.size() + 1;
    std::string pattern = filter;
    filter += pattern.size() + 1;
    pairs.emplace_back(description, pattern);
  }
  return pairs;
}

bool RunDialog(bool save, PelWindow* owner, const char* filter, const String& initialFolder, String& fileName,
               const String& defaultExtension) {
  FileDialogRequest request;
  request.save = save;
  request.owner = owner == nullptr ? 0 : owner->hwnd;
  request.filter = FilterPairs(filter);
  request.initialFolder = initialFolder.View();
  request.defaultExtension = defaultExtension.View();
  request.confirmReplace = save;
  request.mustExist = !save;
  std::string name(fileName.View().substr(0, FileNameRoom));
  bool chosen = ChooseFile(request, name);
  fileName = String::Copy(std::string_view(name).substr(0, FileNameRoom));
  return chosen;
}

}  // namespace

bool OpenFileDialog(PelWindow* owner, const char* filter, const String& initialFolder, String& fileName,
                    const String& defaultExtension) {
  return RunDialog(false, owner, filter, initialFolder, fileName, defaultExtension);
}

bool SaveFileDialog(PelWindow* owner, const char* filter, const String& initialFolder, String& fileName,
                    const String& defaultExtension) {
  return RunDialog(true, owner, filter, initialFolder, fileName, defaultExtension);
}
