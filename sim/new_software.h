// The software the tool writes into units: once a unit starts it, it reports
// version 6.10 release 57 and the checksum and CRC of its family's build for its MCU.
#pragma once

#include <cstdint>

#include "sim/unit.h"

inline constexpr int16_t NewSoftwareVersion = 610;
inline constexpr uint8_t NewSoftwareBuild = 57;

// The unit now runs the new software: its identity says so.
void RunNewSoftware(UnitIdentity& identity);
