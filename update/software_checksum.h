// The log of the comparison of a unit's software with the tool's, and the message for
// a unit the tool has no software for.
#pragma once

#include "protocol/unit_info.h"
#include "runtime/string.h"
#include "update/update_needs.h"

// The numbers the operator quotes to the maker when the tool has no software for a unit.
String UnsupportedUnitMessage(int unittype);

// "New software checksum=...", "Current software checksum=..." and whether they differ.
void PutChecksumComparison(const UnitInfo& unit, const SoftwareChecks& expected);
