// Saving the logs every unit of a system keeps on its drive 1 (configuration log,
// crash log, debug logs) into text files on the PC, one set per unit named after it.
#pragma once

#include "protocol/unit_info.h"
#include "runtime/string.h"

// Where the saved logs go: "VelantorLogFiles" beside a program run where it was
// built; installed, or where its folder cannot be written,
// $XDG_DATA_HOME/quarnet/VelantorLogFiles (default ~/.local/share).
String SystemLogFolder();

// The units whose logs could not be saved because they stopped answering while the
// system was listed; 0 when every listed unit was visited.
struct LogExtractionResult {
  uint8_t silentUnit;
};

LogExtractionResult ExtractDebugLogsFromUnits(UnitInfo& local);
void ExtractLogFilesFromUnit(UnitInfo& unit);

// Copies an open file of the unit's drive 1 into the PC file `descriptor`, leaving
// out the zero bytes that pad the end of each 128-byte block.
void CopyUnitFile(const UnitInfo& unit, uint16_t file, int descriptor);
