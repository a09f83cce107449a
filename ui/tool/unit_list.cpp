#include "ui/tool/unit_list.h"

#include "generic/string_utility.h"
#include "protocol/identification.h"
#include "protocol/remote_call.h"
#include "protocol/unit_procedures.h"
#include "runtime/console_streams.h"
#include "ui/tool/settings_area.h"
#include "ui/tool/tool_form.h"

namespace {

constexpr int16_t FirstListingVersion = 600;
constexpr int8_t FieldbusMcu = 7;
constexpr int16_t FirstFieldbusVersion = 610;

void AddLine(ToolForm& form, int address, int card) {
  String text = IntText(address, 2);
  text += "  ";
  text += UnitTypeName(card).View();
  int line = ListBoxAdd(form.unitList, text.View());
  ListBoxSetValue(form.unitList, line, address);
}

}  // namespace

void RefreshUnitList(ToolForm& form) {
  int ownAddress = form.ConnectedUnit.ModbusAddress != 0 ? form.ConnectedUnit.ModbusAddress : LocalUnitAddress;
  ListBoxClear(form.unitList);
  bool ownAdded = false;
  RemoteUnitList remote{};
  if (form.ConnectedUnit.unitmode != ModeUnknown && form.ConnectedUnit.softwareversion >= FirstListingVersion &&
      ListRemoteUnits(remote)) {
    for (int i = 0; i < remote.count; ++i) {
      int address = remote.addresses[i];
      if (!ownAdded && address > ownAddress) {
        AddLine(form, ownAddress, form.ConnectedUnit.cardnumber);
        ownAdded = true;
      }
      form.SelectedUnit = UnitInfo{};
      form.SelectedUnit.unitmode = ModeSoftware;
      form.SelectedUnit.SlaveAddress = static_cast<uint8_t>(address);
      if (!ReadUnitInfo(form.SelectedUnit)) form.SelectedUnit.cardnumber = 0;
      AddLine(form, address, form.SelectedUnit.cardnumber);
    }
  }
  if (!ownAdded) AddLine(form, ownAddress, form.ConnectedUnit.cardnumber);
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
        form.UnitHasSettings = unit.product != 0;
        form.FieldbusCapable =
            unit.unittype == UnitDisplay && unit.mcu == FieldbusMcu && unit.softwareversion >= FirstFieldbusVersion;
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
