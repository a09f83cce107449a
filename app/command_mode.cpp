#include "app/command_mode.h"

#include <unistd.h>

#include <string>

#include "app/command_answers.h"
#include "generic/string_utility.h"
#include "link/port_control.h"
#include "ops/save_logs.h"
#include "ops/update_all.h"
#include "protocol/unit_info.h"
#include "runtime/console_streams.h"
#include "runtime/ini_file.h"
#include "runtime/log.h"
#include "runtime/message_box.h"
#include "runtime/operator_stop.h"
#include "runtime/program_state.h"
#include "runtime/utf8.h"
#include "ui/tool/connection_state.h"
#include "ui/tool/main_window.h"
#include "ui/tool/setup_transfer.h"
#include "ui/tool/tool_form.h"
#include "ui/tool/unit_list.h"
#include "ui/toolkit/controls/form_trace.h"

namespace {

int resultDescriptor = -1;

void WriteResult(const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t written = write(resultDescriptor, text.data() + done, text.size() - done);
    if (written <= 0) return;
    done += static_cast<size_t>(written);
  }
}

// A box's text on one line, as a job file keeps it.
String OneLine(const String& text) {
  String line;
  bool breakPending = false;
  for (char c : text.View()) {
    if (c == '\r' || c == '\n') {
      breakPending = true;
      continue;
    }
    if (breakPending && !line.Empty()) line += ' ';
    breakPending = false;
    line += c;
  }
  return line;
}

// A unit's text as one field of a result line, in UTF-8 as a terminal and a script
// expect it: its own tabs and line breaks would split it.
std::string Field(std::string_view text) {
  std::string field = DecodeWindowsText(text);
  for (char& c : field) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return field;
}

struct Outcome {
  bool completed = false;
  String message;
};

// The port named on the command line is the one to connect on; without one the
// window's search runs: the environment's ports, then the remembered port and all.
bool ConnectAsTheWindowDoes(ToolForm& form, bool portGiven) {
  if (portGiven) {
    OnConnectClick(&form);
  } else {
    Search(form);
  }
  return IsPortOpen();
}

// A line per unit in the window's list order: address, model, software, serial number
// and information text, separated by tabs, so that a script can cut the fields.
Outcome ListSystem(ToolForm& form) {
  int count = ListBoxCount(form.unitList);
  std::string lines;
  for (int i = 0; i < count; ++i) {
    int address = static_cast<int>(ListBoxGetValue(form.unitList, i));
    SelectUnit(form, address);
    const UnitInfo& unit = form.SelectedUnit;
    std::string line = std::string(IntText(address, 2).View()) + "\t";
    if (form.UnitReady) {
      line += std::string(ModelName(unit.cardnumber).View()) + "\t" +
              std::string(VersionReleaseText(unit.softwareversion, unit.softwarebuild).View()) + "\t" +
              std::to_string(unit.serialnumber) + "\t" + Field(unit.information.View());
    } else {
      line += "-\t-\t-\tnot answering";
    }
    lines += line + "\n";
  }
  WriteResult(lines);
  String message = "Units listed: ";
  message += IntText(count, 0).View();
  return Outcome{true, message};
}

bool InSystemList(ToolForm& form, int address) {
  for (int i = 0; i < ListBoxCount(form.unitList); ++i) {
    if (ListBoxGetValue(form.unitList, i) == address) return true;
  }
  return false;
}

String UnitText(int address, std::string_view what) {
  String text = "Unit ";
  text += IntText(address).View();
  text += what;
  return text;
}

// The unit chosen as the window's list chooses it, and refused where the window's
// button for the operation would be greyed out.
bool ChooseUnit(ToolForm& form, const CommandRequest& request, String& refusal) {
  if (!InSystemList(form, request.unit)) {
    refusal = UnitText(request.unit, " is not in the system");
    return false;
  }
  SelectUnit(form, request.unit);
  if (!form.UnitReady) {
    refusal = UnitText(request.unit, " does not answer");
  } else if (request.operation == Operation::GenerateFieldbus ? !form.FieldbusCapable : !form.UnitHasSettings) {
    refusal = UnitText(request.unit, request.operation == Operation::GenerateFieldbus
                                         ? " has no fieldbus description to generate"
                                         : " has no commissioning settings");
  } else {
    return true;
  }
  return false;
}

// The transfer the file form runs once its file is chosen; its message box is the outcome.
Outcome TransferWithUnit(const CommandRequest& request, ToolForm& form) {
  String refusal;
  if (!ChooseUnit(form, request, refusal)) return Outcome{false, refusal};
  String file = String::Copy(request.file);
  ForgetLastBox();
  bool done = false;
  switch (request.operation) {
    case Operation::SaveSetup:
      done = DoSaveSetup(form.window, form.SelectedUnit, file);
      break;
    case Operation::LoadSetup:
      done = DoLoadSetup(form.window, form.SelectedUnit, file, request.loadType);
      // The unit restarts with its new setup, as after the window's load.
      EnterDisconnectedState(form);
      break;
    case Operation::GenerateModbus:
      done = DoGenerateModbus(form.window, form.SelectedUnit, file);
      break;
    default:
      done = DoGenerateFieldbus(form.window, form.SelectedUnit, file);
      break;
  }
  return Outcome{done, OneLine(LastBoxShown().text)};
}

bool AskOnTheTerminal(const String& question) {
  return ShowMessage(question, "Quarnet", MessageOkCancel | MessageIconWarning) == ButtonOk;
}

// The verdict, and on a failure the units that are not on the tool's software, so
// that the job file says which units need attention.
Outcome UpdateAllUnits(ToolForm& form) {
  UpdateAllResult result = UpdateAll(form.ConnectedUnit, OperationHooks{AskOnTheTerminal, nullptr});
  if (!result.ran) return Outcome{false, "Software update was cancelled"};
  const SystemUpdateOutcome& update = result.outcome;
  String message = UpdateVerdict(update);
  for (int i = 0; i < update.count; ++i) {
    UnitUpdateResult unit = update.units[i].result;
    if (unit == UnitUpdateResult::Updated || unit == UnitUpdateResult::AlreadyCurrent) continue;
    message += "; ";
    message += UnitOutcomeLine(update.units[i]).View();
  }
  return Outcome{UpdateAllSucceeded(result), message};
}

Outcome SaveSystemLogs(ToolForm& form) {
  SaveLogsResult result = SaveLogs(form.ConnectedUnit, OperationHooks{});
  String report = SaveLogsReport(result);
  bool whole = EveryLogSaved(result);
  ShowMessage(report, String::Constant(whole ? "Information" : "Error"), whole ? MessageIconInformation : MessageIconError);
  return Outcome{EveryLogSaved(result), OneLine(report)};
}

Outcome RunOperation(const CommandRequest& request, ToolForm& form) {
  switch (request.operation) {
    case Operation::List:
      return ListSystem(form);
    case Operation::SaveSetup:
    case Operation::LoadSetup:
    case Operation::GenerateModbus:
    case Operation::GenerateFieldbus:
      return TransferWithUnit(request, form);
    case Operation::UpdateAll:
      return UpdateAllUnits(form);
    default:
      return SaveSystemLogs(form);
  }
}

// A production line reads the outcome from the job file: one it cannot find there is
// no success, whatever the operation did.
void Finish(const Outcome& outcome) {
  bool jobFile = !JobFile.Empty();
  String jobFault;
  bool recorded = !jobFile || WriteIniQuietly(JobFile, "Message", outcome.message, &jobFault);
  PutText(ReportStream, outcome.completed ? "Done: " : "Failed: ");
  PutString(ReportStream, outcome.message);
  PutText(ReportStream, "\r\n");
  if (!recorded) {
    PutText(ReportStream, "Failed: cannot write the job file's message: ");
    PutString(ReportStream, jobFault);
    PutText(ReportStream, "\r\n");
  }
  ExitCode = outcome.completed && recorded ? 0 : jobFile ? 2 : 1;
}

}  // namespace

void SetCommandResults(int descriptor) { resultDescriptor = descriptor; }

void RunCommand(const CommandRequest& request) {
  AnswerMessagesOnTerminal(request.yes);
  // The window's own trace is for debugging; the terminal is for the operator.
  KeepFormTraceInTheLog(!DebugOn && !DetailedDebugOn);
  // The window puts the remembered port into PortNumber when none was named.
  bool portGiven = PortNumber != 0;
  CreateMainWindow();
  // After the window's own progress display, which nobody sees here.
  ShowProgressOnTerminal();
  ToolForm& form = TheToolForm;
  Outcome outcome;
  ForgetLastBox();
  if (!ConnectAsTheWindowDoes(form, portGiven)) {
    // A box says why no unit could be found at all (no right to open the port).
    const String& why = LastBoxShown().text;
    outcome.message = why.Empty() ? String("Cannot find a Velantor unit") : OneLine(why);
  } else {
    outcome = RunOperation(request, form);
  }
  if (ExitRequested) outcome = Outcome{false, StopMessage()};
  CloseMainWindow();
  Finish(outcome);
}
