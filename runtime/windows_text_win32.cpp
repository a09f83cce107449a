#include "runtime/windows_text.h"

#include <cerrno>
#include "runtime/windows_api.h"

std::wstring WideText(std::string_view utf8) {
  if (utf8.empty()) return {};
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Utf8Text(std::wstring_view wide) {
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

String WindowsErrorText(unsigned long error) {
  wchar_t text[256];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                sizeof text / sizeof text[0], nullptr);
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) --length;
  if (length == 0) return String::Copy("system error " + std::to_string(error));
  return String::Copy(Utf8Text(std::wstring_view(text, length)));
}

int ErrorNumberOfWindowsError(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_INVALID_NAME: return EINVAL;
    case ERROR_DIRECTORY: return ENOTDIR;
    default: return EIO;
  }
}
