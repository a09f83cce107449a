#include "protocol/identification.h"
#include "protocol/unit_procedures.h"
#include "runtime/files.h"
#include "runtime/log.h"
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

// A saved log: written under a temporary name and renamed when complete, so that a
// run that ends half way never leaves a half-written file under the log's own name.
struct SavedLog {
  String name;
  String temporary;
  int descriptor;
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
  log.temporary = Concatenate(log.name, ".part");
  log.descriptor = CreateWrite(log.temporary, true);
  if (log.descriptor < 0) FatalError(Concatenate("Unable to create: ", log.name));
  return log;
}

void CloseSavedLog(SavedLog& log) {
  CloseDescriptor(log.descriptor);
  if (!RenameFile(log.temporary, log.name)) FatalError(Concatenate("Unable to create: ", log.name));
}

bool OpenUnitLog(const UnitInfo& unit, uint16_t file) {
  uint8_t result = 0;
  return OpenFile(unit.SlaveAddress, LogDrive, file, false, result) && result == 0;
}

// Copies the open file of the unit, closes it on the unit and logs what it took.
void CopyOpenLog(const UnitInfo& unit, uint16_t file, int descriptor) {
  TransferClock clock = StartTransferClock();
  CopyUnitFile(unit, file, descriptor);
  uint8_t result = 0;
  CloseFile(unit.SlaveAddress, LogDrive, file, result);
  PutReceiveStatistics(clock);
}

void SaveLog(const UnitInfo& unit, const char* checking, uint16_t file, const char* prefix, const char* missing) {
  PutText(ReportStream, checking);
  if (!OpenUnitLog(unit, file)) {
    PutText(ReportStream, missing);
    return;
  }
  PutText(ReportStream, "Uploading file: ");
  PutHex4(ReportStream, file);
  PutText(ReportStream, "\r\n");
  SavedLog log = CreateSavedLog(unit, prefix);
  CopyOpenLog(unit, file, log.descriptor);
  CloseSavedLog(log);
}

void SaveDebugLogs(const UnitInfo& unit) {
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
  SavedLog log = CreateSavedLog(unit, "DebugLog_");
  for (int i = 0; i < logs.count; ++i) {
    uint16_t file = logs.ids[i];
    PutText(DebugStream, "Uploading file=");
    PutHex4(DebugStream, file);
    PutText(DebugStream, "\r\n");
    if (ExitRequested) break;
    ProgressDots(static_cast<uint32_t>(i), static_cast<uint32_t>(logs.count));
    if (OpenUnitLog(unit, file)) {
      CopyOpenLog(unit, file, log.descriptor);
    } else {
      PutText(DebugStream, "-- file not found\r\n");
    }
    WriteBytes(log.descriptor, "\r\n", 2);
  }
  CloseSavedLog(log);
  ProgressDotsEnd();
}

}  // namespace

String SystemLogFolder() {
  return WritableFolderFor(String::Constant(ArgList[0]), "VelantorLogFiles", "XDG_DATA_HOME", ".local/share");
}

void ExtractLogFilesFromUnit(UnitInfo& unit) {
  PutText(DebugStream, "ExtractLogFilesFromUnit=");
  PutInt(DebugStream, unit.SlaveAddress);
  PutText(DebugStream, "\r\n");
  if (!ReadUnitInfo(unit)) return;
  ReadExtendedInfo(unit);
  ReadAdvancedInfo(unit);
  WriteUnitReport(unit);
  if (unit.softwareversion <= 600) return;
  SaveLog(unit, "Checking for configuration log...\r\n", ConfigurationLogFile, "ConfigurationLog_",
          "-- no configuration log found\r\n");
  SaveLog(unit, "Checking for crash log...\r\n", CrashLogFile, "CrashLog_", "-- no crash log found\r\n");
  SaveDebugLogs(unit);
}
