// Saving the logs every unit of a system keeps on its drive 1 (configuration log,
// crash log, debug logs) into text files on the PC, one set per unit named after it.
#pragma once

#include "protocol/unit_info.h"
#include "runtime/replace_file.h"
#include "runtime/string.h"

// Where the saved logs go: "VelantorLogFiles" beside a program run where it was
// built; installed, or where its folder cannot be written,
// $XDG_DATA_HOME/quarnet/VelantorLogFiles (default ~/.local/share).
String SystemLogFolder();

// What could not be saved: the unit that stopped answering while the system was
// listed (0 when every listed unit was visited), and the log files that could not be
// read whole (an earlier copy of each stays as it was).
struct LogExtractionResult {
  uint8_t silentUnit;
  int unsavedCount;
  String unsaved;  // their file names, separated by ", "
  String saved;    // the paths of the logs saved, each ending with a line feed
};

LogExtractionResult ExtractDebugLogsFromUnits(UnitInfo& local);
void ExtractLogFilesFromUnit(UnitInfo& unit, LogExtractionResult& result);

// Appends an open file of the unit's drive 1 to `log`, leaving out the zero bytes that
// pad the end of each 128-byte block. False when the file could not be read to its
// end, or a stop was requested.
bool CopyUnitFile(const UnitInfo& unit, uint16_t file, FileReplacement& log);
