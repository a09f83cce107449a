#include "app/command_mode.h"

#include <unistd.h>

#include <string>
#include <vector>

#include "app/command_answers.h"
#include "app/json_text.h"
#include "generic/string_utility.h"
#include "link/port_control.h"
#include "ops/connect_unit.h"
#include "ops/save_logs.h"
#include "ops/system_list.h"
#include "ops/tool_settings.h"
#include "ops/unit_transfers.h"
#include "ops/update_all.h"
#include "protocol/unit_info.h"
#include "runtime/console_streams.h"
#include "runtime/ini_file.h"
#include "runtime/log.h"
#include "runtime/message_box.h"
#include "runtime/operation_progress.h"
#include "runtime/operator_stop.h"
#include "runtime/program_state.h"
#include "runtime/utf8.h"

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
  std::string results;             // the lines standard output carries without --json
  std::vector<std::string> files;  // what the operation wrote
  JsonObject details;              // the operation's own members of the --json document
};

bool jsonWanted = false;
const char* operationName = "";

// The --json document: the outcome, the files written and what the operation adds.
std::string JsonDocument(const Outcome& outcome, int exitCode) {
  JsonObject document;
  document.Add("operation", operationName)
      .AddBool("completed", outcome.completed)
      .Add("message", outcome.message.View())
      .AddNumber("exitCode", exitCode)
      .AddJson("files", JsonStrings(outcome.files))
      .AddMembers(outcome.details);
  return document.Text() + "\n";
}

// A fatal error ends the program on its way: the document still says how it ended.
void WriteFatalOutcome(const String& message, int exitCode) {
  Outcome outcome;
  outcome.message = OneLine(message);
  WriteResult(JsonDocument(outcome, exitCode));
}

std::string SoftwareText(int16_t version, int8_t build) {
  return std::string(VersionReleaseText(version, build).View());
}

// A port named on the command line is the one the window offers next time; without
// one the search starts at the port the window last used. Either way at the speed
// the window last used.
void RememberThePort(bool portGiven) {
  if (!portGiven) {
    PortNumber = static_cast<int16_t>(SettingsFilePort());
  } else if (PortNumber != PathPortNumber) {
    WriteToolSetting("CommPort", IntText(PortNumber));
  }
  BaudRate = SettingsFileSpeed();
}

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
         SoftwareText(unit.softwareversion, unit.softwarebuild) + "\t" + std::to_string(unit.serialnumber) + "\t" +
         Field(unit.information.View());
}

std::string UnitJson(const ListedUnit& listed) {
  JsonObject unit;
  unit.AddNumber("address", listed.address).AddBool("answers", listed.answers);
  if (listed.answers) {
    const UnitInfo& identity = listed.identity;
    unit.Add("model", ModelName(identity.cardnumber).View())
        .Add("software", SoftwareText(identity.softwareversion, identity.softwarebuild))
        .AddNumber("serialNumber", identity.serialnumber)
        .Add("information", DecodeWindowsText(identity.information.View()))
        .AddBool("hasSettings", listed.hasSettings)
        .AddBool("fieldbusCapable", listed.fieldbusCapable);
  }
  return unit.Text();
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
  Outcome outcome;
  std::vector<std::string> units;
  String silent;
  for (int i = 0; i < list.count; ++i) {
    outcome.results += ResultLine(list.units[i]) + "\n";
    units.push_back(UnitJson(list.units[i]));
    if (list.units[i].answers) continue;
    silent += silent.Empty() ? "; not answering: " : ", ";
    silent += IntText(list.units[i].address).View();
  }
  outcome.details.AddJson("units", JsonArray(units));
  outcome.message = "Units listed: ";
  outcome.message += IntText(list.count, 0).View();
  outcome.message += silent.View();
  outcome.completed = silent.Empty();
  return outcome;
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

TransferResult Transfer(const CommandRequest& request, const UnitInfo& unit, const String& file) {
  switch (request.operation) {
    case Operation::SaveSetup:
      return TransferSetupToFile(unit, file);
    case Operation::LoadSetup:
      return TransferSetupToUnit(unit, file, request.loadType);
    case Operation::GenerateModbus:
      return TransferModbusTable(unit, file);
    default:
      return TransferFieldbusTable(unit, file);
  }
}

// The transfer the window's file form runs once its file is chosen, with the same box.
Outcome TransferWithUnit(const CommandRequest& request, const UnitInfo& connected) {
  String refusal;
  UnitInfo unit{};
  Outcome outcome;
  if (!ChooseUnit(connected, request, unit, refusal)) {
    outcome.message = refusal;
    return outcome;
  }
  TransferResult result = Transfer(request, unit, String::Copy(request.file));
  outcome.completed = TellTransferResult(result);
  outcome.message = OneLine(result.message);
  outcome.details.AddNumber("unit", request.unit);
  for (const String& file : result.files) outcome.files.emplace_back(file.View());
  return outcome;
}

bool AskOnTheTerminal(const String& question) {
  return ShowMessage(question, "Quarnet", MessageOkCancel | MessageIconWarning) == ButtonOk;
}

// The verdict, and on a failure the units that are not on the tool's software, so
// that the job file says which units need attention.
const char* ResultName(UnitUpdateResult result) {
  switch (result) {
    case UnitUpdateResult::Updated: return "updated";
    case UnitUpdateResult::AlreadyCurrent: return "current";
    case UnitUpdateResult::NotTaken: return "not taken";
    case UnitUpdateResult::NotUpdated: return "not updated";
    default: return "not answering";
  }
}

std::string UnitJson(const UnitUpdateOutcome& unit) {
  JsonObject entry;
  entry.AddNumber("address", unit.address)
      .Add("model", ModelName(unit.cardnumber).View())
      .Add("result", ResultName(unit.result))
      .Add("before", SoftwareText(unit.versionBefore, unit.buildBefore));
  if (unit.result != UnitUpdateResult::NotAnswering) {
    entry.Add("after", SoftwareText(unit.versionAfter, unit.buildAfter));
  }
  entry.Add("line", UnitOutcomeLine(unit).View());
  return entry.Text();
}

Outcome UpdateAllUnits(UnitInfo& connected) {
  UpdateAllResult result = UpdateAll(connected, OperationHooks{AskOnTheTerminal, nullptr});
  Outcome outcome;
  if (!result.ran) {
    outcome.message = "Software update was cancelled";
    return outcome;
  }
  const SystemUpdateOutcome& update = result.outcome;
  outcome.message = UpdateVerdict(update);
  std::vector<std::string> units;
  for (int i = 0; i < update.count; ++i) {
    units.push_back(UnitJson(update.units[i]));
    UnitUpdateResult unit = update.units[i].result;
    if (unit == UnitUpdateResult::Updated || unit == UnitUpdateResult::AlreadyCurrent) continue;
    outcome.message += "; ";
    outcome.message += UnitOutcomeLine(update.units[i]).View();
  }
  outcome.completed = UpdateAllSucceeded(result);
  outcome.details.AddBool("verified", update.verified).AddJson("units", JsonArray(units));
  return outcome;
}

// The pieces of `text` between separators; none of an empty text.
std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    pieces.emplace_back(text.substr(start, end - start));
    start = end + separator.size();
  }
  return pieces;
}

Outcome SaveSystemLogs(UnitInfo& connected) {
  SaveLogsResult result = SaveLogs(connected, OperationHooks{});
  String report = SaveLogsReport(result);
  bool whole = EveryLogSaved(result);
  ShowMessage(report, String::Constant(whole ? "Information" : "Error"), whole ? MessageIconInformation : MessageIconError);
  Outcome outcome;
  outcome.completed = whole;
  outcome.message = OneLine(report);
  outcome.files = Split(result.missing.saved.View(), "\n");
  outcome.details.Add("folder", result.folder.View())
      .AddJson("unsaved", JsonStrings(Split(result.missing.unsaved.View(), ", ")));
  if (result.missing.silentUnit != 0) outcome.details.AddNumber("silentUnit", result.missing.silentUnit);
  return outcome;
}

Outcome RunOperation(const CommandRequest& request, UnitInfo& connected) {
  switch (request.operation) {
    case Operation::List:
      return ListTheSystem(connected);
    case Operation::SaveSetup:
    case Operation::LoadSetup:
    case Operation::GenerateModbus:
    case Operation::GenerateFieldbus:
      return TransferWithUnit(request, connected);
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
  if (!outcome.completed) TellFailure(outcome.message.View());
  if (!recorded) {
    std::string fault = "cannot write the job file's message: " + std::string(jobFault.View());
    PutText(ReportStream, "Failed: " + fault + "\r\n");
    TellFailure(fault);
  }
  ExitCode = outcome.completed && recorded ? 0 : jobFile ? 2 : 1;
  if (jsonWanted) {
    WriteResult(JsonDocument(outcome, ExitCode));
    return;
  }
  std::string results = outcome.results;
  for (const std::string& file : outcome.files) results += file + "\n";
  WriteResult(results);
}

}  // namespace

void SetCommandResults(int descriptor) { resultDescriptor = descriptor; }

void RunCommand(const CommandRequest& request) {
  AnswerMessagesOnTerminal(request.yes, request.quiet);
  jsonWanted = request.json;
  operationName = OperationOption(request.operation) + 2;
  if (jsonWanted) FatalOutcomeHook = WriteFatalOutcome;
  ShowProgressOnTerminal();
  Outcome outcome;
  UnitInfo connected{};
  bool portGiven = PortNumber != 0;
  RememberThePort(portGiven);
  if (!ConnectToTheSystem(connected, portGiven)) {
    outcome.message = ConnectFailureText();
  } else {
    outcome = RunOperation(request, connected);
  }
  if (ExitRequested) {
    outcome.completed = false;
    outcome.message = StopMessage();
  }
  ClosePort();
  InstallProgressShow(nullptr);
  Finish(outcome);
}
