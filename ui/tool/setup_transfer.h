// The four transfers behind the file forms: a unit's setup saved to a PC file or
// loaded from one, its Modbus register table saved, and its fieldbus data table saved
// with the four description files generated beside it. The unit writes and reads
// these files itself on its drive 1; the tool moves their bytes and shows the
// progress, and tells the operator the outcome in a message box.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"
#include "runtime/string.h"
#include "ui/toolkit/controls/pel_window.h"

// What one transfer may move: larger unit files fail to be read, larger PC files are
// refused. A setup is at most 4 MiB; the buffer has room for the read that finds the
// end of a file that large.
inline constexpr uint32_t LargestSetupFile = 0x400000;
inline constexpr uint32_t TransferBufferSize = LargestSetupFile + 1;

// Each returns true when the transfer succeeded; a failure's box names its cause
// where the PC's side of it is known ("Unable to Load Settings: Cannot open file
// a.csv: No such file or directory").
bool DoSaveSetup(PelWindow& form, const UnitInfo& unit, const String& fileName);
// `loadType` indexes LoadTypes (protocol/setup_calls.h).
bool DoLoadSetup(PelWindow& form, const UnitInfo& unit, const String& fileName, int loadType);
bool DoGenerateModbus(PelWindow& form, const UnitInfo& unit, const String& fileName);
bool DoGenerateFieldbus(PelWindow& form, const UnitInfo& unit, const String& fileName);
