// The list of the units of the connected system, and the unit chosen in it.
#pragma once

struct ToolForm;

// The connected unit and the units it reports, in address order; the first is selected.
void RefreshUnitList(ToolForm& form);
// Reads the unit at `address` (0: none) into SelectedUnit and redraws the settings area.
void SelectUnit(ToolForm& form, int address);
// A settings call failed: the unit counts as not ready, and the selection is cleared
// once the current handler has returned.
void LostConnection(ToolForm& form);
