// The identification procedures: what a unit, its boot loader and its MCU are. Each
// fills the unit information record only when its call succeeded.
#pragma once

#include "protocol/unit_info.h"

// Card, circuit, software version; the card decides the unit type and the MCU. A card
// the program does not know ends it.
bool ReadUnitInfo(UnitInfo& unit);
// Everything a unit at software 6.00 or later reports about itself.
bool ReadAdvancedInfo(UnitInfo& unit);
// One quiet attempt of the same call, for the restart polls.
bool ReadUnitInfoOnce(UnitInfo& unit);
// Serial number, build time and the information text (software 2.20 or later).
bool ReadExtendedInfo(UnitInfo& unit);
// One call to the boot loader: its MCU type and version in one byte.
bool ReadBootLoaderVersion(UnitInfo& unit);
// The boot loader's type, MCU, version, release, checksum and flags; when it does not
// answer, what the version byte says (and false).
bool ReadBootLoaderRelease(UnitInfo& unit);
