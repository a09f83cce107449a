// The window's side of the four transfers behind the file forms (ops/unit_transfers.h):
// the progress window over the form while the transfer runs, and the outcome in a
// message box.
#pragma once

#include "protocol/unit_info.h"
#include "runtime/string.h"
#include "ui/toolkit/controls/pel_window.h"

// Each returns true when the transfer succeeded; a failure's box names its cause
// where the PC's side of it is known ("Unable to Load Settings: Cannot open file
// a.csv: No such file or directory").
bool DoSaveSetup(PelWindow& form, const UnitInfo& unit, const String& fileName);
// `loadType` indexes LoadTypes (protocol/setup_calls.h).
bool DoLoadSetup(PelWindow& form, const UnitInfo& unit, const String& fileName, int loadType);
bool DoGenerateModbus(PelWindow& form, const UnitInfo& unit, const String& fileName);
bool DoGenerateFieldbus(PelWindow& form, const UnitInfo& unit, const String& fileName);
