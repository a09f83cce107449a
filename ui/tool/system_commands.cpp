#include "ui/tool/system_commands.h"

#include "ops/save_logs.h"
#include "ops/update_all.h"
#include "runtime/message_box.h"
#include "ui/tool/connection_state.h"
#include "ui/tool/status_line.h"
#include "ui/tool/tool_form.h"
#include "ui/toolkit/console/console_window.h"
#include "ui/toolkit/core/window_input.h"

namespace {

constexpr int Question = MessageOkCancel | MessageIconWarning;
constexpr int Information = MessageOk | MessageIconInformation;

// The log window's close box reaches the main window on its own thread, which asks.
void AskMainWindowToClose() { PostMessage(TheToolForm.window.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

// While an operation works on the units the window stays disabled and the log shows
// its progress; either close box asks the operation's stop question first.
const char* stopQuestion = nullptr;
bool logWasVisible = false;

void WindowWorking(bool busy) {
  ToolForm& form = TheToolForm;
  if (busy) {
    logWasVisible = form.LogVisible;
    SetLogVisible(form, true);
    PelEnable(form.window, false);
    form.StopQuestion = stopQuestion;
    SetWindowProperty(form.window.hwnd, CloseWhileDisabledProperty, 1);
    ConsoleCloseHandler = AskMainWindowToClose;
  } else {
    ConsoleCloseHandler = nullptr;
    RemoveWindowProperty(form.window.hwnd, CloseWhileDisabledProperty);
    form.StopQuestion = nullptr;
    PelEnable(form.window, true);
    PelSetFocus(form.window);
    SetLogVisible(form, logWasVisible);
    // The operation's progress gives way to the console's latest line at once, not
    // after the closing message.
    ShowPendingStatus(form);
  }
}

bool AskInABox(const String& question) { return ShowMessage(question, "Quarnet", Question) == ButtonOk; }

OperationHooks WindowHooks(const char* question) {
  stopQuestion = question;
  return OperationHooks{AskInABox, WindowWorking};
}

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

void UpdateAllUnits(ToolForm& form) {
  UpdateAllResult result = UpdateAll(
      form.ConnectedUnit, WindowHooks("Stop the update? Units that are being updated may be left without software."));
  if (!result.contacted) return;
  // The update ends with the system found again; the list shows what it runs now.
  if (!result.ran || LocalUnitAnswered(result.outcome)) {
    EnterConnectedState(form);
  } else {
    EnterDisconnectedState(form);
  }
  if (!result.ran) {
    ShowMessage("Software update was cancelled.", "Information", Information);
  } else if (UpdateAllSucceeded(result)) {
    ShowMessage(UpdateReport(result.outcome), "Information", Information);
  } else {
    ShowMessage(UpdateReport(result.outcome), "Error", MessageOk | MessageIconError);
  }
}

void SaveSystemLogs(ToolForm& form) {
  SaveLogsResult result =
      SaveLogs(form.ConnectedUnit, WindowHooks("Stop saving the logs? The logs not yet saved will be missing."));
  if (EveryLogSaved(result)) {
    ShowMessage(SaveLogsReport(result), "Information", Information);
  } else {
    ShowMessage(SaveLogsReport(result), "Error", MessageOk | MessageIconError);
  }
}

}  // namespace

void OnUpdateAllClick(void* form) { UpdateAllUnits(*static_cast<ToolForm*>(form)); }

void OnSaveSystemLogsClick(void* form) { SaveSystemLogs(*static_cast<ToolForm*>(form)); }
