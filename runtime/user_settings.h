// Per-user settings, the program's stand-in for registry values: one INI file,
// $XDG_CONFIG_HOME/quarnet/settings.ini (default ~/.config/quarnet/), whose keys are
// whole setting paths such as "Software\Corvane\Quarnet\CommPort".
#pragma once

#include "runtime/string.h"

String SettingsFileName();
// A missing value reads as empty.
String ReadUserSetting(const String& path);
// Writing an empty text deletes the value. Failures are silent.
void WriteUserSetting(const String& path, const String& text);
