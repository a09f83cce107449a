// Per-user settings, kept where each system keeps them. A setting is named by its
// path, a key path and the value name after the last '\', such as
// "SOFTWARE\Corvane Instruments Ltd\Velantor\Quarnet\CommPort": on Windows a string
// value under HKEY_CURRENT_USER (user_settings_win32.cpp; under the key
// QUARNET_SETTINGS_KEY names, when set, as the tests keep theirs); on Linux a line of one INI
// file, $XDG_CONFIG_HOME/quarnet/settings.ini (default ~/.config/quarnet/), whose keys
// are the whole paths (user_settings_linux.cpp).
#pragma once

#include "runtime/string.h"

// The Linux settings file; the port folder lives beside it.
String SettingsFileName();
// A missing value, or one that is no text, reads as empty; at most 256 characters.
String ReadUserSetting(const String& path);
// Writing an empty text deletes the value. Failures are silent.
void WriteUserSetting(const String& path, const String& text);
