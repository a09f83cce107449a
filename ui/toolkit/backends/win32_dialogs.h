// Windows' own message box and file dialog. Each runs on the thread that asks, which
// the backend makes for it, so that the GUI thread goes on painting and taking work,
// and boxes that two threads ask for at once do not nest.
#pragma once

#include <optional>
#include <string>

#include "ui/toolkit/backends/win32_desktop.h"
#include "ui/toolkit/backends/win32_windows.h"

// The buttons and icon of the style, as the FLTK backend offers them; the button the
// operator chose (ButtonOk ..., the Win32 numbers).
int RunMessageBox(const std::string& text, const std::string& caption, int style, HWND owner);
// Null when the operator cancels.
std::optional<std::string> RunFileDialog(const FileChoice& choice, HWND owner);
