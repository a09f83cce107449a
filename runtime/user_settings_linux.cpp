#include "runtime/user_settings.h"

#include "runtime/files.h"
#include "runtime/ini_file.h"
#include "runtime/user_folders.h"

namespace {

// The registry held at most 256 characters in the buffer its readers used.
constexpr int MaxSettingLength = 256;

String ConfigurationHome() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

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
