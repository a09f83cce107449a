// The serial ports of this PC as the search walks them, COM1 to COM99, each with what
// an operator needs to pick the right one: its device, the stable name udev gives a
// USB adapter, its driver, whether another program holds it and how long its driver
// holds received bytes. Nothing is opened: looking must not toggle a unit's lines.
// On Windows (port_survey_win32.cpp) the system's list of ports gives the port and its
// driver only: no stable name, use or latency shows there without opening the port.
#pragma once

#include <vector>

#include "runtime/string.h"

inline constexpr int SearchedPorts = 99;

struct SurveyedPort {
  int port;
  String device;      // as the port is named (a link of the port folders stays a link)
  String stableName;  // /dev/serial/by-id/..., or empty
  String driver;      // the kernel driver, or empty when it is no hardware port (a pseudo-terminal)
  bool inUse;         // another program holds its advisory lock, or a lock file of /var/lock names it
  int latencyMs;      // the driver's latency timer, or -1 where the driver has none
};

std::vector<SurveyedPort> SurveyPorts();
