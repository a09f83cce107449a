// The tool's own values in the per-user settings: the port and speed last chosen, and
// the folders of the file forms.
#pragma once

#include <cstdint>

#include "runtime/string.h"

String ReadToolSetting(const char* name);
// An empty text deletes the value.
void WriteToolSetting(const char* name, const String& text);

// "CommPort": 0 when missing or not a number.
int SettingsFilePort();
// "BaudRate": a missing value or 0 is the fastest speed.
uint32_t SettingsFileSpeed();
