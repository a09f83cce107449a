#include "runtime/user_settings.h"

#include "runtime/files.h"
#include "runtime/ini_file.h"

namespace {

// The registry held at most 256 characters in the buffer its readers used.
constexpr int MaxSettingLength = 256;

// The XDG base folder; a relative XDG_CONFIG_HOME is invalid and ignored. Empty
// when there is no home either.
String ConfigurationHome() {
  String configured = GetEnvironment("XDG_CONFIG_HOME");
  if (configured[0] == '/') return configured;
  String home = GetEnvironment("HOME");
  if (home.Empty()) return {};
  return Concatenate(home, "/.config");
}

}  // namespace

String SettingsFileName() {
  String home = ConfigurationHome();
  if (home.Empty()) return {};
  return Concatenate(home, "/quarnet/settings.ini");
}

String ReadUserSetting(const String& path) {
  String file = SettingsFileName();
  if (file.Empty()) return {};
  return ReadIniQuietly(file, path).Substring(0, MaxSettingLength);
}

void WriteUserSetting(const String& path, const String& text) {
  String file = SettingsFileName();
  if (file.Empty()) return;
  if (text.Empty()) {
    DeleteIniQuietly(file, path);
    return;
  }
  // The INI writer makes the settings folder but not the base folder above it.
  MakeFolder(ConfigurationHome());
  WriteIniQuietly(file, path, text);
}
