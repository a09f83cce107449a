#include "ui/tool/settings_area.h"

#include "ui/tool/tool_form.h"

namespace {

struct RowTexts {
  const char* label;
  const char* description;
};

constexpr RowTexts Rows[SettingRowCount] = {
    {"weight units", "units"},
    {"weight capacity", "maximum capacity of weighing system (20mA point)"},
    {"AI1 response time", "increase to smooth out weight vibrations in the weighing system"},
    {"zero", "remove all weight from weighing system and enter 0 (4mA point)"},
    {"span", "apply known weight to weighing system and enter this value"},
    {"sensitivity", "sensitivity of loadcell"},
    {"limit", "weight limit to drive OUT9 (limit 2)"},
};

void EnableRow(SettingRow& row, int index, bool enable) {
  PelEnable(row.label.window, enable);
  PelEnable(row.edit.window, enable);
  if (SettingRowHasArrows[index]) PelEnable(row.arrows.window, enable);
  PelEnable(row.description.window, enable);
}

}  // namespace

void RefreshSettingsArea(ToolForm& form) {
  String title;
  if (form.UnitReady) title = form.SelectedUnit.information;
  title += " (";
  if (form.UnitReady) title += ApplicationName(form.SelectedUnit.product, form.SelectedUnit.cardnumber).View();
  title += ")";
  PelSetText(form.unitTitle.window, title.View());
  PelSetText(form.lockLabel.window, "calibration");
  PelSetText(form.lockState.window, form.CalibrationLocked ? "locked" : "unlocked");
  ButtonSetCheck(form.lockCheck, form.CalibrationLocked);

  bool rowsOpen = form.UnitHasSettings && !form.CalibrationLocked;
  for (int i = 0; i < SettingRowCount; ++i) {
    SettingRow& row = form.settingRows[i];
    PelSetText(row.label.window, Rows[i].label);
    PelSetText(row.edit.window, "");
    PelSetText(row.description.window, Rows[i].description);
    EnableRow(row, i, rowsOpen);
  }

  PelEnable(form.unitTitle.window, form.UnitReady);
  PelEnable(form.lockLabel.window, form.UnitHasSettings);
  PelEnable(form.lockCheck.window, form.UnitHasSettings);
  PelEnable(form.lockState.window, form.UnitHasSettings);
  PelEnable(form.menuButton.window, form.UnitHasSettings);
  PelEnable(form.refreshButton.window, form.UnitHasSettings);
  PelEnable(form.generateModbusButton.window, form.UnitHasSettings);
  PelEnable(form.saveSetupButton.window, form.UnitHasSettings);
  PelEnable(form.loadSetupButton.window, form.UnitHasSettings);
  PelEnable(form.generateFieldbusButton.window, form.FieldbusCapable);
  RefreshReadouts(form);
}

void RefreshReadouts(ToolForm& form) {
  for (StdStaticControl& readout : form.readouts) {
    PelSetText(readout.window, "");
    PelEnable(readout.window, form.UnitHasSettings);
  }
}
