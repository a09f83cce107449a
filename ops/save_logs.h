// Save System Logs as both front ends run it: every unit's logs into the folder of
// saved logs, and what could not be saved.
#pragma once

#include "ops/operation_hooks.h"
#include "protocol/unit_info.h"
#include "runtime/string.h"
#include "update/log_extraction.h"

struct SaveLogsResult {
  String folder;  // where the logs went
  LogExtractionResult missing;
};

SaveLogsResult SaveLogs(UnitInfo& local, const OperationHooks& hooks);

// Every listed unit was visited and every log it keeps was saved whole.
bool EveryLogSaved(const SaveLogsResult& result);
// The closing message: what was not saved, then where the others went.
String SaveLogsReport(const SaveLogsResult& result);
