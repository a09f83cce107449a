// The system quarnet-sim serves when no system file is named: a KD6 display on the
// PC's port with a KT7 transmitter and a KR5 remote I/O unit behind it. Written in
// the system file format, so it doubles as that format's example.
#pragma once

#include <string_view>

#include "sim/system_file.h"

std::string_view DemoSystemText();
SystemDescription DemoSystem();
