#include <cstdlib>
#include <string>

#include "runtime/user_settings.h"
#include "runtime/windows_api.h"
#include "runtime/windows_text.h"

namespace {

// The registry held at most 256 characters in the buffer its readers used.
constexpr DWORD MaxSettingLength = 256;

// The key path and the value name: the path split at its last '\'. Under
// QUARNET_SETTINGS_KEY when it is set: tests keep their settings apart from each
// other's and from the operator's.
void Split(const String& path, std::wstring& key, std::wstring& value) {
  std::string_view text = path.View();
  size_t separator = text.rfind('\\');
  std::string keyPath(separator == std::string_view::npos ? std::string_view() : text.substr(0, separator));
  const char* root = std::getenv("QUARNET_SETTINGS_KEY");
  if (root != nullptr && *root != '\0') keyPath = std::string(root) + "\\" + keyPath;
  key = WideText(keyPath);
  value = WideText(separator == std::string_view::npos ? text : text.substr(separator + 1));
}

}  // namespace

String ReadUserSetting(const String& path) {
  std::wstring key, value;
  Split(path, key, value);
  HKEY handle;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return {};
  wchar_t text[MaxSettingLength + 1] = {};
  DWORD type = 0;
  DWORD size = sizeof text - sizeof text[0];
  LONG result = RegQueryValueExW(handle, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS || type != REG_SZ) return {};
  std::wstring_view read(text, size / sizeof text[0]);
  while (!read.empty() && read.back() == L'\0') read.remove_suffix(1);
  return String::Copy(Utf8Text(read));
}

void WriteUserSetting(const String& path, const String& text) {
  std::wstring key, value;
  Split(path, key, value);
  HKEY handle;
  if (text.Empty()) {
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
    RegDeleteValueW(handle, value.c_str());
    RegCloseKey(handle);
    return;
  }
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  std::wstring wide = WideText(text.View());
  RegSetValueExW(handle, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                 static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
}
