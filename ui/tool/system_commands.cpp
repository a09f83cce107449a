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
#include "ui/toolkit/console/console_window.h"
#include "ui/toolkit/core/window_input.h"
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

// The log window's close box reaches the main window on its own thread, which asks.
void AskMainWindowToClose() { PostMessage(TheToolForm.window.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

// The window stays disabled while the operation runs; the log shows its progress, and
// either close box asks `stopQuestion` before it stops the operation.
struct BusyWindow {
  BusyWindow(ToolForm& form, const char* stopQuestion) : form(form), logWasVisible(form.LogVisible) {
    SetLogVisible(form, true);
    PelEnable(form.window, false);
    form.StopQuestion = stopQuestion;
    SetWindowProperty(form.window.hwnd, CloseWhileDisabledProperty, 1);
    ConsoleCloseHandler = AskMainWindowToClose;
  }
  ~BusyWindow() {
    ConsoleCloseHandler = nullptr;
    RemoveWindowProperty(form.window.hwnd, CloseWhileDisabledProperty);
    form.StopQuestion = nullptr;
    PelEnable(form.window, true);
    PelSetFocus(form.window);
    SetLogVisible(form, logWasVisible);
  }
  ToolForm& form;
  bool logWasVisible;
};

bool LocalUnitAnswered(const SystemUpdateOutcome& outcome) {
  for (int i = 0; i < outcome.count; ++i) {
    if (outcome.units[i].local) return outcome.units[i].result != UnitUpdateResult::NotAnswering;
  }
  return outcome.verified;
}

// What each unit runs now and the verdict, as the closing box tells it.
String UpdateReport(const SystemUpdateOutcome& outcome) {
  String report = "Software update of all units has finished.\r\n\r\n";
  for (int i = 0; i < outcome.count; ++i) {
    report += UnitOutcomeLine(outcome.units[i]).View();
    report += "\r\n";
  }
  report += "\r\n";
  report += UpdateVerdict(outcome).View();
  if (!outcome.verified) report += "\r\n\r\nConnect again once the units have restarted and check their software.";
  return report;
}

void UpdateAll(ToolForm& form) {
  String question = Concatenate("This will update the Velantor units to software v",
                                VersionReleaseText(CatalogueSoftwareVersion, CatalogueSoftwareBuild));
  question += "\r\n\r\nDo you wish to update the software?";
  form.UpdateRan = false;
  if (ShowMessage(question, "Quarnet", Question) != ButtonOk) return;
  {
    BusyWindow busy(form, "Stop the update? Units that are being updated may be left without software.");
    if (!SystemHasNewerSoftware(form) ||
        ShowMessage("WARNING: There is a newer version of the software in the units.\r\n\r\nDo you wish to replace "
                    "the software?",
                    "Quarnet", Question) == ButtonOk) {
      form.LastUpdate = FieldUpdateUnit(form.ConnectedUnit);
      form.UpdateRan = true;
    }
  }
  // The update ends with the system found again; the list shows what it runs now.
  bool connected = form.UpdateRan ? LocalUnitAnswered(form.LastUpdate) : true;
  if (connected) {
    EnterConnectedState(form);
  } else {
    EnterDisconnectedState(form);
  }
  if (!form.UpdateRan) {
    ShowMessage("Software update was cancelled.", "Information", Information);
  } else if (EveryUnitUpdated(form.LastUpdate)) {
    ShowMessage(UpdateReport(form.LastUpdate), "Information", Information);
  } else {
    ShowMessage(UpdateReport(form.LastUpdate), "Error", MessageOk | MessageIconError);
  }
}

void SaveSystemLogs(ToolForm& form) {
  LogExtractionResult& result = form.LastLogs;
  {
    BusyWindow busy(form, "Stop saving the logs? The logs not yet saved will be missing.");
    result = ExtractDebugLogsFromUnits(form.ConnectedUnit);
  }
  String message;
  if (result.silentUnit != 0) {
    message = "The logs of Velantor Unit ";
    message += IntText(result.silentUnit).View();
    message += " could not be saved: it did not answer.\r\n\r\n";
  }
  if (result.unsavedCount > 0) {
    message += "These logs could not be read whole and were not saved (an earlier copy stays as it was): ";
    message += result.unsaved.View();
    message += "\r\n\r\n";
  }
  bool whole = message.Empty();
  message += whole ? "The system logs from all units have been saved into the following folder:-\r\n\r\n"
                   : "The other system logs have been saved into the following folder:-\r\n\r\n";
  message += SystemLogFolder().View();
  if (whole) {
    ShowMessage(message, "Information", Information);
  } else {
    ShowMessage(message, "Error", MessageOk | MessageIconError);
  }
}

}  // namespace

void OnUpdateAllClick(void* form) { UpdateAll(*static_cast<ToolForm*>(form)); }

void OnSaveSystemLogsClick(void* form) { SaveSystemLogs(*static_cast<ToolForm*>(form)); }
