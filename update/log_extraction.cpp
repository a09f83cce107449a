#include "update/log_extraction.h"

#include "protocol/speed_negotiation.h"
#include "protocol/unit_procedures.h"
#include "generic/string_utility.h"
#include "runtime/log.h"
#include "runtime/operation_progress.h"
#include "runtime/program_state.h"
#include "update/system_listing.h"

LogExtractionResult ExtractDebugLogsFromUnits(UnitInfo& local) {
  LogExtractionResult result{};
  RemoteUnitList remote{};
  if (local.unitmode != ModeSoftware || local.softwareversion < 600 || !ListRemoteUnits(remote)) return result;
  uint32_t speed = BaudRate;
  if (!SetUnitBaudRate(local, ProgrammerBaudRate)) FatalError("Unable to change baud rate");
  PutText(ReportStream, "Velantor Unit(s) found:\r\nAddress  Information\r\n");
  ListedUnits listed{};
  if (ListSystemUnits(local, remote, SilentUnit::EndsListing, listed, result.silentUnit)) {
    PutText(ReportStream, "\r\n");
    BeginOperationProgress(listed.count);
    for (int i = 0; i < listed.count; ++i) {
      UnitInfo unit{};
      unit.unitmode = ModeSoftware;
      unit.SlaveAddress = listed.addresses[i];
      String subject = "Velantor Unit ";
      subject += IntText(unit.SlaveAddress).View();
      ProgressStep(i + 1, subject);
      ExtractLogFilesFromUnit(unit, result);
      PutText(ReportStream, "\r\n");
    }
    EndOperationProgress();
  } else {
    // The operator must learn that this unit's logs are missing, and the link must
    // go back to the speed the connection uses.
    PutText(ReportStream, "Velantor Unit ");
    PutInt(ReportStream, result.silentUnit);
    PutText(ReportStream, " did not answer: its logs cannot be saved\r\n");
  }
  if (!SetUnitBaudRate(local, speed)) FatalError("Unable to change baud rate");
  return result;
}
