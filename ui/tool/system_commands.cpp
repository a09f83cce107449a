#include "ui/tool/system_commands.h"

#include "generic/string_utility.h"
#include "protocol/connection.h"
#include "protocol/identification.h"
#include "protocol/unit_procedures.h"
#include "runtime/log.h"
#include "runtime/message_box.h"
#include "transfer/image_catalogue.h"
#include "ui/tool/connection_state.h"
#include "ui/tool/tool_form.h"
#include "update/log_extraction.h"
#include "update/system_update.h"

namespace {

constexpr int Question = MessageOkCancel | MessageIconWarning;
constexpr int Information = MessageOk | MessageIconInformation;

bool IsNewer(const UnitInfo& unit) {
  return unit.softwareversion > CatalogueSoftwareVersion ||
         (unit.softwareversion == CatalogueSoftwareVersion && unit.softwarebuild > CatalogueSoftwareBuild);
}

// Whether any unit of the system runs a later build than the tool carries; each is
// read into SelectedUnit in turn.
bool SystemHasNewerSoftware(ToolForm& form) {
  form.SelectedUnit = form.ConnectedUnit;
  bool newer = ReadAdvancedInfo(form.SelectedUnit) && IsNewer(form.SelectedUnit);
  RemoteUnitList remote{};
  if (form.ConnectedUnit.unitmode != ModeSoftware || form.ConnectedUnit.softwareversion < 600 ||
      !ListRemoteUnits(remote)) {
    return newer;
  }
  for (int i = 0; i < remote.count; ++i) {
    form.SelectedUnit = UnitInfo{};
    form.SelectedUnit.unitmode = ModeSoftware;
    form.SelectedUnit.SlaveAddress = remote.addresses[i];
    if (ReadUnitInfo(form.SelectedUnit) && ReadAdvancedInfo(form.SelectedUnit) && IsNewer(form.SelectedUnit)) {
      newer = true;
    }
  }
  return newer;
}

// The window stays disabled while the operation runs; the log shows its progress.
struct BusyWindow {
  explicit BusyWindow(ToolForm& form) : form(form), logWasVisible(form.LogVisible) {
    SetLogVisible(form, true);
    PelEnable(form.window, false);
  }
  ~BusyWindow() {
    PelEnable(form.window, true);
    PelSetFocus(form.window);
    SetLogVisible(form, logWasVisible);
  }
  ToolForm& form;
  bool logWasVisible;
};

void UpdateAll(ToolForm& form) {
  String question = Concatenate("This will update the Velantor units to software v",
                                VersionReleaseText(CatalogueSoftwareVersion, CatalogueSoftwareBuild));
  question += "\r\n\r\nDo you wish to update the software?";
  form.AllUnitsUpdated = false;
  if (ShowMessage(question, "Quarnet", Question) != ButtonOk) return;
  bool updated = false;
  {
    BusyWindow busy(form);
    if (!SystemHasNewerSoftware(form) ||
        ShowMessage("WARNING: There is a newer version of the software in the units.\r\n\r\nDo you wish to replace "
                    "the software?",
                    "Quarnet", Question) == ButtonOk) {
      form.AllUnitsUpdated = FieldUpdateUnit(form.ConnectedUnit);
      updated = true;
    }
    // The units restart after an update: the operator connects again once they have.
    Reconnect(form.ConnectedUnit);
    EnterDisconnectedState(form);
  }
  if (updated) {
    ShowMessage("Software update of all units has finished.\r\n\r\nPlease connect again after the units have "
                "finished restarting.",
                "Information", Information);
  } else {
    ShowMessage("Software update was cancelled.\r\n\r\nPlease connect again.", "Information", Information);
  }
}

void SaveSystemLogs(ToolForm& form) {
  LogExtractionResult result{};
  {
    BusyWindow busy(form);
    result = ExtractDebugLogsFromUnits(form.ConnectedUnit);
  }
  String message;
  if (result.silentUnit != 0) {
    message = "The logs of Velantor Unit ";
    message += IntText(result.silentUnit).View();
    message += " could not be saved: it did not answer.\r\n\r\n";
  }
  message += "The system logs from all units have been saved into the following folder:-\r\n\r\n";
  message += SystemLogFolder().View();
  ShowMessage(message, "Information", Information);
}

}  // namespace

void OnUpdateAllClick(void* form) { UpdateAll(*static_cast<ToolForm*>(form)); }

void OnSaveSystemLogsClick(void* form) { SaveSystemLogs(*static_cast<ToolForm*>(form)); }
