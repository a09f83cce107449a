#include "ui/tool/settings_area.h"

#include <utility>

#include "generic/string_utility.h"
#include "protocol/setting_access.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "ui/tool/setting_values.h"
#include "ui/tool/tool_form.h"
#include "ui/tool/unit_list.h"

namespace {

struct RowTexts {
  const char* label;
  const char* description;
  uint16_t setting;
};

enum Row { WeightUnitsRow, CapacityRow, ResponseTimeRow, ZeroRow, SpanRow, SensitivityRow };

constexpr RowTexts Rows[SettingRowCount] = {
    {"weight units", "units", 8044},
    {"weight capacity", "maximum capacity of weighing system (20mA point)", 8060},
    {"AI1 response time", "increase to smooth out weight vibrations in the weighing system", 8120},
    {"zero", "remove all weight from weighing system and enter 0 (4mA point)", 8910},
    {"span", "apply known weight to weighing system and enter this value", 8912},
    {"sensitivity", "sensitivity of loadcell", 8124},
    {"limit", "weight limit to drive OUT9 (limit 2)", 8332},
};

constexpr uint16_t ReadoutSettings[3] = {8740, 8700, 8800};

// A call that fails loses the unit: the view goes on with the record as it was cleared.
bool Access(ToolForm& form, uint16_t number, uint8_t access, SettingRecord& record) {
  if (AccessSetting(form.SelectedUnit, number, access, record)) return true;
  LostConnection(form);
  return false;
}

SettingRecord Read(ToolForm& form, uint16_t number) {
  SettingRecord record;
  Access(form, number, SettingRead, record);
  return record;
}

String Shown(const SettingRecord& record) {
  return FormatSettingValue(record.value, static_cast<uint8_t>(record.decimals), static_cast<int8_t>(record.countby));
}

void EnableRow(SettingRow& row, int index, bool enable) {
  PelEnable(row.label.window, enable);
  PelEnable(row.edit.window, enable);
  if (SettingRowHasArrows[index]) PelEnable(row.arrows.window, enable);
  PelEnable(row.description.window, enable);
}

// Writes `value` to the row's setting; with `readBack`, reads it again and shows what
// the unit holds now.
void WriteRow(ToolForm& form, int row, float value, bool readBack) {
  SettingRecord record;
  record.value = value;
  if (!Access(form, Rows[row].setting, SettingWrite, record)) return;
  if (readBack && Access(form, Rows[row].setting, SettingRead, record)) {
    PelSetText(form.settingRows[row].edit.window, Shown(record).View());
  }
  // The status line confirms what the unit took: "Weight capacity set to 6000 kg".
  String confirmation = String::Copy(Rows[row].label);
  if (!confirmation.Empty() && confirmation[0] >= 'a' && confirmation[0] <= 'z') {
    confirmation.WritableData()[0] = static_cast<char>(confirmation[0] - 'a' + 'A');
  }
  confirmation += " set to ";
  confirmation += Shown(record).View();
  if (!record.unitstext.Empty()) {
    confirmation += " ";
    confirmation += record.unitstext.View();
  }
  PutString(StandardOutput, confirmation);
  PutText(StandardOutput, "\r\n");
}

double TypedNumber(ToolForm& form, int row) {
  return ReadSettingText(PelGetText(form.settingRows[row].edit.window));
}

// The row handlers: each edit box and arrow carries the form as its user data.
template <int row>
void OnRowEnter(void* data) {
  auto& form = *static_cast<ToolForm*>(data);
  StdEditControl& edit = form.settingRows[row].edit;
  switch (row) {
    case WeightUnitsRow:
      if (!EditModified(edit)) return;
      WriteRow(form, row, SnapWeightUnits(TypedNumber(form, row)), false);
      RefreshSettingsArea(form);
      return;
    case ResponseTimeRow:
      if (!EditModified(edit)) return;
      WriteRow(form, row, SnapResponseTime(TypedNumber(form, row)), true);
      return;
    case ZeroRow:
    case SpanRow:
      // Calibration points: sent as typed, even when the box is empty (0).
      WriteRow(form, row, static_cast<float>(TypedNumber(form, row)), false);
      PelSetText(edit.window, "");
      return;
    default:
      if (!EditModified(edit)) return;
      WriteRow(form, row, static_cast<float>(TypedNumber(form, row)), true);
  }
}

// A negative delta is the upper arrow.
void OnWeightUnitsArrows(void* data, int delta) {
  auto& form = *static_cast<ToolForm*>(data);
  WriteRow(form, WeightUnitsRow, StepWeightUnits(TypedNumber(form, WeightUnitsRow), delta < 0), false);
  RefreshSettingsArea(form);
}

void OnResponseTimeArrows(void* data, int delta) {
  auto& form = *static_cast<ToolForm*>(data);
  WriteRow(form, ResponseTimeRow, StepResponseTime(TypedNumber(form, ResponseTimeRow), delta < 0), true);
}

void OnLockClick(void* data) {
  auto& form = *static_cast<ToolForm*>(data);
  form.CalibrationLocked = !form.CalibrationLocked;
  RefreshSettingsArea(form);
}

template <int... rows>
void ConnectRows(ToolForm& form, std::integer_sequence<int, rows...>) {
  ((form.settingRows[rows].edit.OnEnter = OnRowEnter<rows>), ...);
}

}  // namespace

void ConnectSettingsArea(ToolForm& form) {
  ConnectRows(form, std::make_integer_sequence<int, SettingRowCount>());
  form.settingRows[WeightUnitsRow].arrows.OnDelta = OnWeightUnitsArrows;
  form.settingRows[ResponseTimeRow].arrows.OnDelta = OnResponseTimeArrows;
  form.lockCheck.OnClick = OnLockClick;
}

void RefreshSettingsArea(ToolForm& form) {
  String edits[SettingRowCount];
  String descriptions[SettingRowCount];
  for (int i = 0; i < SettingRowCount; ++i) descriptions[i] = String::Copy(Rows[i].description);
  String unitTitle, applicationName;
  if (form.UnitReady) {
    unitTitle = form.SelectedUnit.information;
    applicationName = ApplicationName(form.SelectedUnit.product, form.SelectedUnit.cardnumber);
  }
  if (form.UnitReady && form.UnitHasSettings) {
    bool withLimit = form.SelectedUnit.product == WeightIndicatorApplication;
    for (int i = 0; i < SettingRowCount; ++i) {
      if (i == LimitRow && !withLimit) continue;
      SettingRecord record = Read(form, Rows[i].setting);
      descriptions[i] = record.unitstext;
      descriptions[i] += " - ";
      descriptions[i] += Rows[i].description;
      if (i != ZeroRow && i != SpanRow) edits[i] = Shown(record);
    }
  }

  // The selected unit in view: its text and application, then what it is and runs.
  String title;
  if (form.UnitReady) {
    const UnitInfo& unit = form.SelectedUnit;
    title = unitTitle;
    title += " (";
    title += applicationName.View();
    title += ") - ";
    title += ModelName(unit.cardnumber).View();
    title += " ";
    title += VersionReleaseText(unit.softwareversion, unit.softwarebuild).View();
    title += ", serial ";
    title += IntText(unit.serialnumber).View();
  }
  PelSetText(form.unitTitle.window, title.View());
  PelSetText(form.lockLabel.window, "calibration");
  PelSetText(form.lockState.window, form.CalibrationLocked ? "locked" : "unlocked");
  ButtonSetCheck(form.lockCheck, form.CalibrationLocked);
  for (int i = 0; i < SettingRowCount; ++i) {
    SettingRow& row = form.settingRows[i];
    PelSetText(row.label.window, Rows[i].label);
    PelSetText(row.edit.window, edits[i].View());
    PelSetText(row.description.window, descriptions[i].View());
  }

  // Taken after the reads: a read that failed has cleared them.
  bool rowsOpen = form.UnitHasSettings && !form.CalibrationLocked;
  for (int i = 0; i < SettingRowCount; ++i) EnableRow(form.settingRows[i], i, rowsOpen);
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
  String texts[3];
  if (form.UnitHasSettings) {
    for (int i = 0; i < 3; ++i) {
      SettingRecord record = Read(form, ReadoutSettings[i]);
      texts[i] = Shown(record);
      texts[i] += record.unitstext.View();
    }
  }
  for (int i = 0; i < 3; ++i) {
    PelSetText(form.readouts[i].window, texts[i].View());
    PelEnable(form.readouts[i].window, form.UnitHasSettings);
    String caption = form.UnitHasSettings ? TextOf("setting ", ReadoutSettings[i]) : String();
    PelSetText(form.readoutCaptions[i].window, caption.View());
    PelEnable(form.readoutCaptions[i].window, form.UnitHasSettings);
  }
}
