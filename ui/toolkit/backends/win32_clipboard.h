// The clipboard's text (CF_UNICODETEXT), on the GUI thread; its hidden window owns
// what it puts there.
#pragma once

#include <string>

#include "ui/toolkit/backends/win32_windows.h"

void PutClipboardText(HWND owner, const std::string& text);
// Empty when there is no text, or the clipboard stays busy.
std::string TakeClipboardText(HWND owner);
