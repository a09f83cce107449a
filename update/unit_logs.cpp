#include "protocol/identification.h"
#include "protocol/unit_procedures.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/operation_progress.h"
#include "runtime/path.h"
#include "runtime/program_state.h"
#include "runtime/user_folders.h"
#include "transfer/file_transfer_report.h"
#include "transfer/remote_file.h"
#include "update/log_extraction.h"

namespace {

constexpr uint8_t LogDrive = 1;
constexpr uint16_t ConfigurationLogFile = 305;
constexpr uint16_t CrashLogFile = 271;

// A saved log: written beside its place and put under its name only once every part
// of it was read whole, so that a run cut short never replaces a complete copy with
// half a log.
struct SavedLog {
  String name;
  FileReplacement file;
};

SavedLog CreateSavedLog(const UnitInfo& unit, const char* prefix) {
  String folder = SystemLogFolder();
  if (!FolderExists(folder) && !MakeFolderPath(folder)) FatalError(Concatenate("Unable to create: ", folder));
  SavedLog log{};
  log.name = Concatenate(AddSeparator(folder), prefix);
  log.name += UnitSummary(unit, true);
  log.name += ".txt";
  PutText(ReportStream, "Saving to \"");
  PutString(ReportStream, log.name);
  PutText(ReportStream, "\"\r\n");
  String fault;
  if (!BeginReplacement(log.name, DocumentMode, log.file, fault)) FatalError(Concatenate("Unable to create: ", fault));
  return log;
}

void EndIfStopped() {
  if (ExitRequested) FatalError("Stopped while the logs were saved");
}

void CloseSavedLog(SavedLog& log, bool whole, LogExtractionResult& result) {
  if (!whole) {
    AbandonReplacement(log.file);
    EndIfStopped();
    PutText(ReportStream, "-- not saved: the log could not be read whole; an earlier copy stays as it was\r\n");
    if (result.unsavedCount++ > 0) result.unsaved += ", ";
    result.unsaved += FileNamePart(log.name).View();
    return;
  }
  String fault;
  if (!FinishReplacement(log.file, fault)) FatalError(Concatenate("Unable to create: ", fault));
  result.saved += log.name.View();
  result.saved += '\n';
}

bool OpenUnitLog(const UnitInfo& unit, uint16_t file) {
  uint8_t result = 0;
  return OpenFile(unit.SlaveAddress, LogDrive, file, false, result) && result == 0;
}

// Copies the open file of the unit, closes it on the unit and logs what it took.
bool CopyOpenLog(const UnitInfo& unit, uint16_t file, FileReplacement& log) {
  TransferClock clock = StartTransferClock();
  bool whole = CopyUnitFile(unit, file, log);
  uint8_t result = 0;
  CloseFile(unit.SlaveAddress, LogDrive, file, result);
  PutReceiveStatistics(clock);
  return whole;
}

void SaveLog(const UnitInfo& unit, const char* checking, uint16_t file, const char* prefix, const char* missing,
             LogExtractionResult& result) {
  PutText(ReportStream, checking);
  if (!OpenUnitLog(unit, file)) {
    EndIfStopped();
    PutText(ReportStream, missing);
    return;
  }
  PutText(ReportStream, "Uploading file: ");
  PutHex4(ReportStream, file);
  PutText(ReportStream, "\r\n");
  ProgressActivity(String::Constant(file == CrashLogFile ? "crash log" : "configuration log"));
  SavedLog log = CreateSavedLog(unit, prefix);
  CloseSavedLog(log, CopyOpenLog(unit, file, log.file), result);
}

void SaveDebugLogs(const UnitInfo& unit, LogExtractionResult& result) {
  PutText(ReportStream, "Checking for debug logs...\r\n");
  DebugLogIds logs{};
  if (!GetDebugLogs(unit, logs)) return;
  if (logs.count == 0) {
    PutText(ReportStream, "-- no debug log found\r\n");
    ProgressDotsEnd();
    return;
  }
  PutText(ReportStream, "Uploading files: ");
  for (int i = 0; i < logs.count; ++i) {
    PutText(ReportStream, " ");
    PutHex4(ReportStream, logs.ids[i]);
  }
  PutText(ReportStream, "\r\n");
  ProgressActivity("debug logs", ProgressUnit::Items);
  SavedLog log = CreateSavedLog(unit, "DebugLog_");
  bool whole = true;
  String fault;
  for (int i = 0; i < logs.count && whole; ++i) {
    uint16_t file = logs.ids[i];
    PutText(DebugStream, "Uploading file=");
    PutHex4(DebugStream, file);
    PutText(DebugStream, "\r\n");
    ProgressDots(static_cast<uint32_t>(i), static_cast<uint32_t>(logs.count));
    if (OpenUnitLog(unit, file)) {
      whole = CopyOpenLog(unit, file, log.file);
    } else {
      whole = !ExitRequested;
      PutText(DebugStream, "-- file not found\r\n");
    }
    whole = whole && WriteReplacement(log.file, "\r\n", 2, fault);
  }
  CloseSavedLog(log, whole, result);
  ProgressDotsEnd();
}

}  // namespace

String SystemLogFolder() {
  return WritableFolderFor(String::Constant(ArgList[0]), "VelantorLogFiles", "XDG_DATA_HOME", ".local/share");
}

void ExtractLogFilesFromUnit(UnitInfo& unit, LogExtractionResult& result) {
  PutText(DebugStream, "ExtractLogFilesFromUnit=");
  PutInt(DebugStream, unit.SlaveAddress);
  PutText(DebugStream, "\r\n");
  if (!ReadUnitInfo(unit)) return;
  ReadExtendedInfo(unit);
  ReadAdvancedInfo(unit);
  WriteUnitReport(unit);
  if (unit.softwareversion <= 600) return;
  SaveLog(unit, "Checking for configuration log...\r\n", ConfigurationLogFile, "ConfigurationLog_",
          "-- no configuration log found\r\n", result);
  SaveLog(unit, "Checking for crash log...\r\n", CrashLogFile, "CrashLog_", "-- no crash log found\r\n", result);
  SaveDebugLogs(unit, result);
}
