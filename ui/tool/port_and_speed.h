// The port and speed selectors at the top of the main window. Either arrow first
// disconnects; the new choice is remembered in the settings for the next start.
#pragma once

#include <cstdint>

struct ToolForm;

// PortNumber, the "CommPort" setting (not for PathPortNumber) and the port text
// ("none" for 0).
void SetPort(ToolForm& form, int port);
// BaudRate, the "BaudRate" setting and the speed text; 0 is taken as 19200.
void SetSpeed(ToolForm& form, uint32_t speed);

// The next port up or down from `start` that `opens` accepts, wrapping between 99 and
// 0; 0 (no port) is always accepted, and `start` comes back when the way round reaches
// it first.
int StepPort(int start, bool up, bool (*opens)(int port));
// The neighbouring speed of 9600, 19200, 38400, 57600 and 115200; the ends stay, and a
// speed off the list stays going up and becomes 57600 going down.
uint32_t StepSpeed(uint32_t speed, bool up);

// The arrows' callbacks; a negative delta is the upper arrow.
void OnPortDelta(void* form, int delta);
void OnSpeedDelta(void* form, int delta);
