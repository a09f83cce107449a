#include "ui/toolkit/backends/backend_dialogs.h"

#include <filesystem>

#include "runtime/message_box.h"
#include "ui/toolkit/core/window_core.h"

namespace {

// The program's names are UTF-8; a path made from a plain string would read them in
// the system's code page on Windows.
std::filesystem::path PathOf(const std::string& name) { return std::u8string(name.begin(), name.end()); }

}  // namespace

std::vector<WindowHandle> DisableThreadWindows() {
  std::vector<WindowHandle> disabled;
  {
    WindowGuard guard(WindowLock);
    for (WindowRecord* record : AllWindows()) {
      if (IsTopLevel(*record) && OwnedByCurrentThread(*record) && (record->style & WS_VISIBLE) &&
          !(record->style & WS_DISABLED)) {
        disabled.push_back(record->handle);
      }
    }
  }
  for (WindowHandle window : disabled) EnableWindow(window, false);
  return disabled;
}

void EnableAgain(const std::vector<WindowHandle>& windows) {
  for (WindowHandle window : windows) EnableWindow(window, true);
}

std::optional<std::string> ChooseCheckedFile(
    const FileDialogRequest& request, const std::string& offered,
    const std::function<std::optional<std::string>(const std::string& offered)>& choose) {
  std::string name = offered;
  while (true) {
    std::optional<std::string> chosen = choose(name);
    if (!chosen) return std::nullopt;
    name = *chosen;
    if (!request.defaultExtension.empty() && !PathOf(name).has_extension()) name += "." + request.defaultExtension;
    bool exists = std::filesystem::exists(PathOf(name));
    if (request.mustExist && !exists) {
      ShowMessage(String::Copy(name + "\nFile not found.\nCheck the file name and try again."), "Open",
                  MessageOk | MessageIconWarning);
      continue;
    }
    if (request.confirmReplace && exists &&
        ShowMessage(String::Copy(name + " already exists.\nDo you want to replace it?"), "Confirm Save As",
                    MessageYesNo | MessageIconWarning) != ButtonYes) {
      continue;
    }
    return name;
  }
}
