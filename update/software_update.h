// Bringing one unit to the software the tool carries: deciding, with a reason line
// for every decision, whether its boot loader and software must be replaced, then
// replacing them either directly in the MCU flash (the unit in its boot loader, a
// flash programmer in its RAM) or as update files that the unit applies at its next
// restart, and last its resource files. Every failure ends the program with the
// message the operator needs; only the downgrade guard returns false.
#pragma once

#include "protocol/unit_info.h"

// Whether the checksum and CRC the unit reports differ from those of the tool's
// software for its unit type and MCU. A unit the tool has no software for ends the
// program.
bool SoftwareChecksumDiffers(const UnitInfo& unit);

// False when the unit runs a later build than the tool's and was left untouched.
// After a direct update the unit runs the flash programmer; the caller restarts it.
bool UpdateSoftware(UnitInfo& unit, bool updateBootLoader, bool useUpdateFiles);
