// The system file: the units of a simulated weighing system, one section each.
//
//   # The display on the PC's port and a transmitter behind it.
//   [unit 5]
//   Attached = yes
//   Card = 653
//   Software = 6.12r41
//   Information = Silo 3 discharge
//
//   [unit 2]
//   Card = 659
//   Software = 6.12r41
//
// A section "[unit N]" describes the unit at Modbus address N (1 to 247, not 240).
// Lines starting with '#' or ';' are comments; keys are not case-sensitive; numbers
// are decimal or hex with "0x". Card and Software are required; every key and its
// default is listed in docs/simulator.md. Exactly one unit is attached
// to the PC's port (a system of one unit needs no Attached line).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/unit.h"

struct SystemDescription {
  std::vector<UnitDescription> units;
};

// False with a message naming the line in `error`: "line 12: ...".
bool ReadSystemText(std::string_view text, SystemDescription& system, std::string& error);
bool ReadSystemFile(const std::string& path, SystemDescription& system, std::string& error);
