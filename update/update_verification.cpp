#include "update/update_verification.h"

#include "protocol/connection.h"
#include "protocol/identification.h"
#include "runtime/clock.h"
#include "runtime/log.h"
#include "runtime/operator_stop.h"
#include "runtime/program_state.h"

namespace {

void EndIfStopped() {
  if (ExitRequested) FatalError("Stopped while the units restarted");
}

void Judge(UnitUpdateOutcome& entry, const UnitInfo& now) {
  entry.versionAfter = now.softwareversion;
  entry.buildAfter = now.softwarebuild;
  if (RunsToolSoftware(now)) {
    entry.result = entry.currentBefore ? UnitUpdateResult::AlreadyCurrent : UnitUpdateResult::Updated;
  } else {
    entry.result = entry.leftAlone ? UnitUpdateResult::NotUpdated : UnitUpdateResult::NotTaken;
  }
}

// The remote unit as its software describes itself, once it answers; false when it
// did not before the deadline.
bool AnswersBy(uint8_t address, uint32_t deadline, UnitInfo& unit) {
  for (;;) {
    EndIfStopped();
    unit = UnitInfo{};
    unit.unitmode = ModeSoftware;
    unit.SlaveAddress = address;
    // Software before 6.00 has no advanced information: its version tells enough.
    if (ReadUnitInfo(unit) && (unit.softwareversion < 600 || ReadAdvancedInfo(unit))) return true;
    if (static_cast<int32_t>(TickMilliseconds() - deadline) >= 0) return false;
    PauseUnlessStopped(1000);
  }
}

}  // namespace

void VerifySystemUpdate(UnitInfo& local, bool restarted, SystemUpdateOutcome& outcome) {
  outcome.verified = true;
  bool localBack = true;
  if (restarted || local.unitmode != ModeSoftware) {
    PutText(ReportStream, "Waiting for the units to restart...\r\n");
    PauseUnlessStopped(1000);
    localBack = Reconnect(local);
    EndIfStopped();
  }
  PutText(ReportStream, "Checking the software of every unit...\r\n");
  uint32_t deadline = TickMilliseconds() + RemoteUnitsRestartMs;
  for (int i = 0; i < outcome.count; ++i) {
    UnitUpdateOutcome& entry = outcome.units[i];
    UnitInfo now{};
    bool answered = entry.local ? localBack : localBack && AnswersBy(entry.address, deadline, now);
    if (entry.local && answered) now = local;
    if (answered) {
      Judge(entry, now);
    } else {
      entry.result = UnitUpdateResult::NotAnswering;
      outcome.verified = false;
    }
    PutString(ReportStream, UnitOutcomeLine(entry));
    PutText(ReportStream, "\r\n");
  }
}
