// The four transfers between a unit and the PC's files: its setup saved to a file or
// loaded from one, its Modbus register table saved, and its fieldbus data table saved
// with the four description files generated beside it. The unit writes and reads
// these files itself on its drive 1; the tool moves their bytes. Where the transfer
// stands is reported as operation progress (runtime/operation_progress.h).
#pragma once

#include <cstdint>
#include <vector>

#include "protocol/unit_info.h"
#include "runtime/string.h"

// What one transfer may move: larger unit files fail to be read, larger PC files are
// refused. A setup is at most 4 MiB; the buffer has room for the read that finds the
// end of a file that large.
inline constexpr uint32_t LargestSetupFile = 0x400000;
inline constexpr uint32_t TransferBufferSize = LargestSetupFile + 1;

struct TransferResult {
  bool done = false;
  // For the operator: "Settings saved", or the failure and, where it is known, its
  // cause ("Unable to Load Settings: Cannot open file a.csv: No such file or directory").
  String message;
  std::vector<String> files;  // the PC files written, whole
};

TransferResult TransferSetupToFile(const UnitInfo& unit, const String& fileName);
// `loadType` indexes LoadTypes (protocol/setup_calls.h).
TransferResult TransferSetupToUnit(const UnitInfo& unit, const String& fileName, int loadType);
TransferResult TransferModbusTable(const UnitInfo& unit, const String& fileName);
TransferResult TransferFieldbusTable(const UnitInfo& unit, const String& fileName);

// The outcome in the box both front ends show: "Information" or "Error" with its icon.
// Returns result.done.
bool TellTransferResult(const TransferResult& result);
