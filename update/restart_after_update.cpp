#include "protocol/connection.h"
#include "protocol/unit_procedures.h"
#include "runtime/log.h"
#include "runtime/operator_stop.h"
#include "update/system_update.h"

void RestartAfterUpdate(UnitInfo& unit) {
  PutText(ReportStream, "restarting unit...\r\n");
  if (!ResetUnit(unit)) FatalError("Unable to restart unit");
  PutText(DebugStream, "Pausing to bypass boot loader and unit startup\r\n");
  if (!PauseUnlessStopped(1000)) FatalError("Stopped while the unit restarted");
  if (!Reconnect(unit)) FatalError("Unable to reconnect to unit");
}
