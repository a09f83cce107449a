// What every display backend does around a message box or a file dialog: the asking
// thread's windows are disabled while the operator answers, as a modal box's owner is,
// and a chosen file name is checked the way the toolkit's file dialogs promise.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit/core/window_system.h"

// The calling thread's visible top-level windows that were enabled, now disabled.
std::vector<WindowHandle> DisableThreadWindows();
void EnableAgain(const std::vector<WindowHandle>& windows);

// Shows the chooser (`choose` offers a name and waits for the operator) until its
// answer may be taken: the default extension added where the name has none, an open's
// file existing, a save's replacing confirmed in the toolkit's own words. Null when the
// operator cancels.
std::optional<std::string> ChooseCheckedFile(
    const FileDialogRequest& request, const std::string& offered,
    const std::function<std::optional<std::string>(const std::string& offered)>& choose);
