// Bringing one unit to the software the tool carries: acting on what it needs
// (update_needs.h), with a reason line for every decision, then
// replacing them either directly in the MCU flash (the unit in its boot loader, a
// flash programmer in its RAM) or as update files that the unit applies at its next
// restart, and last its resource files. Every failure ends the program with the
// message the operator needs; only the downgrade guard returns false.
#pragma once

#include "protocol/unit_info.h"

// False when the unit runs a later build than the tool's and was left untouched.
// After a direct update the unit runs the flash programmer; the caller restarts it.
bool UpdateSoftware(UnitInfo& unit, bool updateBootLoader, bool useUpdateFiles);
