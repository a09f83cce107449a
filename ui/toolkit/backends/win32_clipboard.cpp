#include "ui/toolkit/backends/win32_clipboard.h"

#include <cstring>

namespace {

// Another program may hold the clipboard open for a moment.
bool OpenClipboardOf(HWND owner) {
  for (int tries = 0; tries < 10; ++tries) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

void PutClipboardText(HWND owner, const std::string& text) {
  std::wstring wide = WideText(text);
  size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return;
  std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
  GlobalUnlock(memory);
  if (!OpenClipboardOf(owner)) {
    GlobalFree(memory);
    return;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it took it.
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  CloseClipboard();
}

std::string TakeClipboardText(HWND owner) {
  if (!OpenClipboardOf(owner)) return {};
  std::string text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = Utf8Text(wide);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}
