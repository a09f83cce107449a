// The right-hand side of the main window: the selected unit's title, its three
// read-outs, the calibration lock and the rows of its commissioning settings, each
// written to the unit the moment the operator presses Enter or clicks an arrow.
#pragma once

struct ToolForm;

// Redraws the whole area from the selected unit, and enables its controls and the
// unit's file buttons by what the unit offers.
void RefreshSettingsArea(ToolForm& form);
// The three read-outs, enabled when the unit has settings.
void RefreshReadouts(ToolForm& form);
// Installs the row handlers and the lock's; called once the controls exist.
void ConnectSettingsArea(ToolForm& form);
