#include "ui/tool/unit_list.h"

#include "generic/string_utility.h"
#include "ops/system_list.h"
#include "protocol/identification.h"
#include "protocol/remote_call.h"
#include "protocol/unit_procedures.h"
#include "runtime/console_streams.h"
#include "ui/tool/settings_area.h"
#include "ui/tool/tool_form.h"

namespace {

void AddLine(ToolForm& form, int address, int card) {
  String text = IntText(address, 2);
  text += "  ";
  text += UnitTypeName(card).View();
  int line = ListBoxAdd(form.unitList, text.View());
  ListBoxSetValue(form.unitList, line, address);
}

}  // namespace

void RefreshUnitList(ToolForm& form) {
  ListBoxClear(form.unitList);
  const UnitInfo& connected = form.ConnectedUnit;
  SystemAddresses order = OrderSystem(connected, ReportedRemoteUnits(connected));
  int own = OwnAddress(connected);
  for (int i = 0; i < order.count; ++i) {
    int address = order.addresses[i];
    if (address == own) {
      AddLine(form, address, connected.cardnumber);
      continue;
    }
    form.SelectedUnit = UnitInfo{};
    form.SelectedUnit.unitmode = ModeSoftware;
    form.SelectedUnit.SlaveAddress = static_cast<uint8_t>(address);
    if (!ReadUnitInfo(form.SelectedUnit)) form.SelectedUnit.cardnumber = 0;
    AddLine(form, address, form.SelectedUnit.cardnumber);
  }
  ListBoxSelect(form.unitList, 0);
  SelectUnit(form, static_cast<int>(ListBoxGetValue(form.unitList, 0)));
}

void SelectUnit(ToolForm& form, int address) {
  form.SelectedUnit = UnitInfo{};
  form.UnitReady = form.UnitHasSettings = form.FieldbusCapable = false;
  form.CalibrationLocked = true;
  if (address > 0) {
    UnitInfo& unit = form.SelectedUnit;
    unit.unitmode = ModeSoftware;
    unit.SlaveAddress = static_cast<uint8_t>(address);
    if (ReadUnitInfo(unit)) {
      ReadExtendedInfo(unit);
      if (ReadAdvancedInfo(unit)) {
        form.UnitReady = true;
        form.UnitHasSettings = HasSettings(unit);
        form.FieldbusCapable = IsFieldbusCapable(unit);
      }
    }
  }
  SettingRow& limit = form.settingRows[LimitRow];
  bool limitShown = form.UnitHasSettings && form.SelectedUnit.product == WeightIndicatorApplication;
  PelShow(limit.label.window, limitShown);
  PelShow(limit.edit.window, limitShown);
  PelShow(limit.description.window, limitShown);
  RefreshSettingsArea(form);
}

void LostConnection(ToolForm& form) {
  form.UnitReady = form.UnitHasSettings = false;
  PelSetTimer(form.window, ClearSelectionTimer, 0);
  PutText(StandardOutput, "Lost connection to unit\r\n");
}
