// The logs a unit keeps on its drive 1: its configuration log (file 305), its crash
// log (file 271) and its debug logs (the files it announces). A unit writes them in
// records of 128 bytes, each line of text padded with zero bytes to the record's end.
#pragma once

#include "sim/unit.h"

inline constexpr uint16_t ConfigurationLogFile = 305;
inline constexpr uint16_t CrashLogFile = 271;
inline constexpr int LogRecordSize = 128;

// Puts the unit's logs on its drive 1 where no file of that number is there yet.
void WriteUnitLogs(SimUnit& unit);
