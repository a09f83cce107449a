#include "ui/toolkit/backends/win32_windows.h"

std::wstring Utf16(std::string_view utf8) {
  if (utf8.empty()) return {};
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
  return utf8;
}

void AppendUtf16(std::wstring& text, uint32_t code) {
  if (code < 0x10000) {
    text += static_cast<wchar_t>(code);
    return;
  }
  code -= 0x10000;
  text += static_cast<wchar_t>(0xD800 + (code >> 10));
  text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
}
