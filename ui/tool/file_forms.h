// The small forms in which the operator chooses the PC file of a transfer: Generate
// Modbus Files, Generate Fieldbus Files, Save Settings and Load Settings. Each shows
// a file name, the folder it goes into (remembered in the settings file) and a browse
// button, and runs its transfer on OK while it stays open, disabled, over its owner.
#pragma once

#include "protocol/unit_info.h"
#include "ui/toolkit/controls/pel_window.h"

void RunGenerateModbusForm(PelWindow& owner, const UnitInfo& unit);
void RunGenerateFieldbusForm(PelWindow& owner, const UnitInfo& unit);
void RunSaveSetupForm(PelWindow& owner, const UnitInfo& unit);
// True when a setup was loaded into the unit (whatever the unit then made of it).
bool RunLoadSetupForm(PelWindow& owner, const UnitInfo& unit);
