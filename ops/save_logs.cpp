#include "ops/save_logs.h"

#include "generic/string_utility.h"

SaveLogsResult SaveLogs(UnitInfo& local, const OperationHooks& hooks) {
  WorkingScope working(hooks);
  SaveLogsResult result;
  result.missing = ExtractDebugLogsFromUnits(local);
  result.folder = SystemLogFolder();
  return result;
}

bool EveryLogSaved(const SaveLogsResult& result) {
  return result.missing.silentUnit == 0 && result.missing.unsavedCount == 0;
}

String SaveLogsReport(const SaveLogsResult& result) {
  String message;
  if (result.missing.silentUnit != 0) {
    message = "The logs of Velantor Unit ";
    message += IntText(result.missing.silentUnit).View();
    message += " could not be saved: it did not answer.\r\n\r\n";
  }
  if (result.missing.unsavedCount > 0) {
    message += "These logs could not be read whole and were not saved (an earlier copy stays as it was): ";
    message += result.missing.unsaved.View();
    message += "\r\n\r\n";
  }
  message += EveryLogSaved(result) ? "The system logs from all units have been saved into the following folder:-\r\n\r\n"
                                   : "The other system logs have been saved into the following folder:-\r\n\r\n";
  message += result.folder.View();
  return message;
}
