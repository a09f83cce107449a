#include "ops/tool_settings.h"

#include "runtime/stream.h"
#include "runtime/user_settings.h"

namespace {

constexpr char ToolSettingsKey[] = "SOFTWARE\\Corvane Instruments Ltd\\Velantor\\Quarnet\\";
constexpr uint32_t DefaultSpeed = 115200;

String SettingPath(const char* name) {
  String path = ToolSettingsKey;
  path += name;
  return path;
}

}  // namespace

String ReadToolSetting(const char* name) { return ReadUserSetting(SettingPath(name)); }

void WriteToolSetting(const char* name, const String& text) { WriteUserSetting(SettingPath(name), text); }

int SettingsFilePort() { return static_cast<int>(ReadInt(ReadToolSetting("CommPort"))); }

uint32_t SettingsFileSpeed() {
  auto speed = static_cast<uint32_t>(ReadInt(ReadToolSetting("BaudRate")));
  return speed == 0 ? DefaultSpeed : speed;
}
