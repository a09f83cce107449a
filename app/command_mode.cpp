#include "app/command_mode.h"

#include <unistd.h>

#include <string>

#include "app/command_answers.h"
#include "generic/string_utility.h"
#include "link/port_control.h"
#include "ops/connect_unit.h"
#include "ops/save_logs.h"
#include "ops/system_list.h"
#include "ops/update_all.h"
#include "protocol/unit_info.h"
#include "runtime/console_streams.h"
#include "runtime/ini_file.h"
#include "runtime/log.h"
#include "runtime/message_box.h"
#include "runtime/operator_stop.h"
#include "runtime/program_state.h"
#include "runtime/utf8.h"
#include "ui/tool/main_window.h"
#include "ui/tool/setup_transfer.h"
#include "ui/tool/tool_form.h"
#include "ui/tool/tool_settings.h"
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

// The port named on the command line is the one to connect on, at the remembered
// speed; without one the window's search runs: the environment's ports, then the
// remembered port and all. The system is not listed on the way, as the window would:
// each operation reads what it needs.
bool ConnectToTheSystem(UnitInfo& connected, bool portGiven) {
  ConnectOutcome outcome = portGiven ? ConnectOnPort(connected) : SearchAndConnect(connected);
  if (outcome == ConnectOutcome::NoUnit || outcome == ConnectOutcome::NotConnected) ReportNoUnitFound();
  if (outcome == ConnectOutcome::Connected) {
    PutText(StandardOutput, "Connected\r\n");
    return true;
  }
  ClosePort();
  return false;
}

std::string ResultLine(const ListedUnit& listed) {
  std::string line = std::string(IntText(listed.address, 2).View()) + "\t";
  if (!listed.answers) return line + "-\t-\t-\tnot answering";
  const UnitInfo& unit = listed.identity;
  return line + std::string(ModelName(unit.cardnumber).View()) + "\t" +
         std::string(VersionReleaseText(unit.softwareversion, unit.softwarebuild).View()) + "\t" +
         std::to_string(unit.serialnumber) + "\t" + Field(unit.information.View());
}

String UnitText(int address, std::string_view what) {
  String text = "Unit ";
  text += IntText(address).View();
  text += what;
  return text;
}

// A line per unit in the window's list order: address, model, software, serial number
// and information text, separated by tabs, so that a script can cut the fields. A unit
// that does not answer is listed as such, and the listing is then no success.
Outcome ListTheSystem(const UnitInfo& connected) {
  static SystemList list;
  ListSystem(connected, list);
  std::string lines;
  String silent;
  for (int i = 0; i < list.count; ++i) {
    lines += ResultLine(list.units[i]) + "\n";
    if (list.units[i].answers) continue;
    silent += silent.Empty() ? "; not answering: " : ", ";
    silent += IntText(list.units[i].address).View();
  }
  WriteResult(lines);
  String message = "Units listed: ";
  message += IntText(list.count, 0).View();
  message += silent.View();
  return Outcome{silent.Empty(), message};
}

// The unit chosen as the window's list chooses it, and refused where the window's
// button for the operation would be greyed out.
bool ChooseUnit(const UnitInfo& connected, const CommandRequest& request, UnitInfo& chosen, String& refusal) {
  static SystemList list;
  ListSystem(connected, list);
  const ListedUnit* found = nullptr;
  for (int i = 0; i < list.count && found == nullptr; ++i) {
    if (list.units[i].address == request.unit) found = &list.units[i];
  }
  if (found == nullptr) {
    refusal = UnitText(request.unit, " is not in the system");
  } else if (!found->answers || !found->described) {
    refusal = UnitText(request.unit, found->answers ? " has no commissioning settings" : " does not answer");
  } else if (request.operation == Operation::GenerateFieldbus ? !found->fieldbusCapable : !found->hasSettings) {
    refusal = UnitText(request.unit, request.operation == Operation::GenerateFieldbus
                                         ? " has no fieldbus description to generate"
                                         : " has no commissioning settings");
  } else {
    chosen = found->identity;
    return true;
  }
  return false;
}

// The transfer the file form runs once its file is chosen; its message box is the outcome.
Outcome TransferWithUnit(const CommandRequest& request, const UnitInfo& connected, ToolForm& form) {
  String refusal;
  UnitInfo unit{};
  if (!ChooseUnit(connected, request, unit, refusal)) return Outcome{false, refusal};
  String file = String::Copy(request.file);
  ForgetLastBox();
  bool done = false;
  switch (request.operation) {
    case Operation::SaveSetup:
      done = DoSaveSetup(form.window, unit, file);
      break;
    case Operation::LoadSetup:
      done = DoLoadSetup(form.window, unit, file, request.loadType);
      break;
    case Operation::GenerateModbus:
      done = DoGenerateModbus(form.window, unit, file);
      break;
    default:
      done = DoGenerateFieldbus(form.window, unit, file);
      break;
  }
  return Outcome{done, OneLine(LastBoxShown().text)};
}

bool AskOnTheTerminal(const String& question) {
  return ShowMessage(question, "Quarnet", MessageOkCancel | MessageIconWarning) == ButtonOk;
}

// The verdict, and on a failure the units that are not on the tool's software, so
// that the job file says which units need attention.
Outcome UpdateAllUnits(UnitInfo& connected) {
  UpdateAllResult result = UpdateAll(connected, OperationHooks{AskOnTheTerminal, nullptr});
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

Outcome SaveSystemLogs(UnitInfo& connected) {
  SaveLogsResult result = SaveLogs(connected, OperationHooks{});
  String report = SaveLogsReport(result);
  bool whole = EveryLogSaved(result);
  ShowMessage(report, String::Constant(whole ? "Information" : "Error"), whole ? MessageIconInformation : MessageIconError);
  return Outcome{EveryLogSaved(result), OneLine(report)};
}

Outcome RunOperation(const CommandRequest& request, UnitInfo& connected, ToolForm& form) {
  switch (request.operation) {
    case Operation::List:
      return ListTheSystem(connected);
    case Operation::SaveSetup:
    case Operation::LoadSetup:
    case Operation::GenerateModbus:
    case Operation::GenerateFieldbus:
      return TransferWithUnit(request, connected, form);
    case Operation::UpdateAll:
      return UpdateAllUnits(connected);
    default:
      return SaveSystemLogs(connected);
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
  if (!outcome.completed) TellFailure("Failed: " + std::string(outcome.message.View()));
  if (!recorded) {
    std::string fault = "Failed: cannot write the job file's message: " + std::string(jobFault.View());
    PutText(ReportStream, fault);
    PutText(ReportStream, "\r\n");
    TellFailure(fault);
  }
  ExitCode = outcome.completed && recorded ? 0 : jobFile ? 2 : 1;
}

}  // namespace

void SetCommandResults(int descriptor) { resultDescriptor = descriptor; }

void RunCommand(const CommandRequest& request) {
  AnswerMessagesOnTerminal(request.yes, request.quiet);
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
  UnitInfo connected{};
  if (portGiven) BaudRate = SettingsFileSpeed();
  if (!ConnectToTheSystem(connected, portGiven)) {
    // A box says why no unit could be found at all (no right to open the port).
    const String& why = LastBoxShown().text;
    outcome.message = why.Empty() ? String("Cannot find a Velantor unit") : OneLine(why);
  } else {
    outcome = RunOperation(request, connected, form);
  }
  if (ExitRequested) outcome = Outcome{false, StopMessage()};
  ClosePort();
  CloseMainWindow();
  Finish(outcome);
}
