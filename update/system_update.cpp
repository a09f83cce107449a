#include "update/system_update.h"

#include "protocol/identification.h"
#include "protocol/speed_negotiation.h"
#include "protocol/unit_procedures.h"
#include "generic/string_utility.h"
#include "runtime/log.h"
#include "runtime/operation_progress.h"
#include "runtime/operator_stop.h"
#include "runtime/program_state.h"
#include "update/software_update.h"
#include "update/system_listing.h"
#include "update/update_plan.h"
#include "update/update_verification.h"

namespace {

constexpr int8_t McuLpc2478 = 3;

void RefuseRemoteUpdate(const UnitInfo& unit, const char* requirement) {
  PutLine(ReportStream, "Velantor Unit ", unit.SlaveAddress, requirement);
  PutLine(ReportStream);
  PutLine(ReportStream,
          "IMPORTANT: Please connect the serial port to the COM1 RS232 port on the unit and run Quarnet again "
          "to update unit ",
          unit.SlaveAddress);
  PutLine(ReportStream);
}

String UnitText(uint8_t address) {
  String text = "Velantor Unit ";
  text += IntText(address).View();
  return text;
}

void AdviseOnStop(uint8_t address, std::string_view state) {
  String advice = UnitText(address);
  advice += state;
  advice += " Run Update All again, which completes the update.";
  SetStopAdvice(advice);
}

UnitUpdateOutcome* LocalEntry(SystemUpdateOutcome& outcome) {
  for (int i = 0; i < outcome.count; ++i) {
    if (outcome.units[i].local) return &outcome.units[i];
  }
  return nullptr;
}

void EndIfStopped() {
  if (ExitRequested) FatalError("Stopped during the update");
}

// "Velantor Unit 12 (KD6)", as the closing report names the unit.
String ProgressSubject(SystemUpdateOutcome& outcome, uint8_t address) {
  const UnitUpdateOutcome* entry = FindOutcome(outcome, address);
  return entry != nullptr ? UnitTitle(address, entry->cardnumber) : UnitText(address);
}

void LocalStep(SystemUpdateOutcome& outcome, const UnitInfo& local) {
  const UnitUpdateOutcome* entry = LocalEntry(outcome);
  BeginOperationProgress(1);
  ProgressStep(1, ProgressSubject(outcome, entry != nullptr ? entry->address : local.SlaveAddress));
}

// An old KD5 cannot relay update files: it is brought up to date directly first.
void UpdateOldKd5(UnitInfo& unit, SystemUpdateOutcome& outcome) {
  WriteUnitReport(unit);
  PutLine(ReportStream);
  PutLine(ReportStream, "This KD5 display unit needs to be updated immediately. It will be restarted");
  PutLine(ReportStream, "after the update is complete. You may need to rerun Quarnet again after");
  PutLine(ReportStream, "the update.");
  PutLine(ReportStream);
  PutLine(ReportStream, "IMPORTANT: do not turn off the power during the update.");
  PutLine(ReportStream);
  AdviseOnStop(unit.SlaveAddress, " was being programmed and may be left in its boot loader: switch it off and on.");
  LocalStep(outcome, unit);
  if (UpdateSoftware(unit, true, false)) {
    RestartAfterUpdate(unit);
    WaitForUnit(unit);
  } else if (unit.unitmode != ModeSoftware && !ResetUnit(unit)) {
    FatalError("Unable to restart unit");
  }
  ClearStopAdvice();
}

// Every listed unit gets its update files; the system restart applies them.
void UpdateNetwork(UnitInfo& local, const RemoteUnitList& remote, SystemUpdateOutcome& outcome) {
  if (!SetUnitBaudRate(local, ProgrammerBaudRate)) FatalError("Unable to change baud rate");
  PutLine(ReportStream, "Velantor Unit(s) found:");
  PutLine(ReportStream, "Address  Information");
  ListedUnits listed{};
  uint8_t silent = 0;
  ListSystemUnits(local, remote, SilentUnit::Skipped, listed, silent);
  PutLine(ReportStream);
  PutLine(ReportStream, "1. The software update will be downloaded to the above units.");
  PutLine(ReportStream, "2. After the download is complete the software update will be applied ");
  PutLine(ReportStream, "   the next time the units are restarted.");
  PutLine(ReportStream, "3. You can either restart the units immediately after the download is ");
  PutLine(ReportStream, "   complete, or wait until a convenient time and restart them yourself.");
  PutLine(ReportStream);
  PutLine(ReportStream, "Downloading software updates...");
  BeginOperationProgress(listed.count);
  for (int i = 0; i < listed.count; ++i) {
    EndIfStopped();
    UnitInfo unit{};
    unit.unitmode = ModeSoftware;
    unit.SlaveAddress = listed.addresses[i];
    ProgressStep(i + 1, ProgressSubject(outcome, unit.SlaveAddress));
    AdviseOnStop(unit.SlaveAddress, " was being sent its update files; it still runs its old software.");
    bool updated = UpdateRemoteUnit(unit);
    EndIfStopped();
    if (updated) {
      PutLine(ReportStream, "Velantor Unit: ", unit.SlaveAddress, " updated");
    } else {
      PutLine(ReportStream, "Unable to update Velantor Unit: ", unit.SlaveAddress);
      if (UnitUpdateOutcome* entry = FindOutcome(outcome, unit.SlaveAddress)) entry->leftAlone = true;
    }
    PutLine(ReportStream);
  }
  ClearStopAdvice();
  // Whether the restart happened is judged by what the units run afterwards: a lost
  // reply to the request does not mean the system stayed up.
  if (!ResetSystem(local)) {
    PutLine(ReportStream, "-- the system restart was not confirmed; checking whether the units restarted");
  }
}

// The unit on the port alone, programmed directly.
void UpdateLocalUnit(UnitInfo& local, SystemUpdateOutcome& outcome) {
  WriteUnitReport(local);
  UnitUpdateOutcome* entry = LocalEntry(outcome);
  AdviseOnStop(entry != nullptr ? entry->address : local.SlaveAddress,
               " was being programmed and may be left in its boot loader: switch it off and on.");
  LocalStep(outcome, local);
  if (UpdateSoftware(local, false, false)) {
    RestartAfterUpdate(local);
  } else {
    if (entry != nullptr) entry->leftAlone = true;
    if (local.unitmode != ModeSoftware && !ResetUnit(local)) FatalError("Unable to restart unit");
  }
  ClearStopAdvice();
}

}  // namespace

bool UpdateRemoteUnit(UnitInfo& unit) {
  if (!ReadUnitInfo(unit)) return false;
  ReadExtendedInfo(unit);
  ReadAdvancedInfo(unit);
  WriteUnitReport(unit);
  if (unit.unitmode != ModeSoftware || unit.softwareversion < 600) {
    RefuseRemoteUpdate(unit, " must be running version 6.00 or later of the Velantor software for remote update.");
    return false;
  }
  if (AcceptsUpdateFiles(unit)) return UpdateSoftware(unit, false, true);
  RefuseRemoteUpdate(unit, " must have boot loader release 14 or later for remote update.");
  return false;
}

SystemUpdateOutcome FieldUpdateUnit(UnitInfo& local) {
  PutText(DebugStream, "FieldUpdateUnit\r\n");
  SystemUpdateOutcome outcome{};
  PlanSystemUpdate(local, outcome);
  EndIfStopped();
  if (local.mcu == McuLpc2478 && (local.softwareversion < 600 || local.bootrelease < 18)) UpdateOldKd5(local, outcome);
  RemoteUnitList remote{};
  bool network = local.unitmode == ModeSoftware && local.softwareversion >= 600 && ListRemoteUnits(remote);
  if (network) {
    // An old unit on the port lists its system only once it was brought up to date.
    PlanSystemUpdate(local, outcome);
    EndIfStopped();
    UpdateNetwork(local, remote, outcome);
  } else {
    UpdateLocalUnit(local, outcome);
  }
  ProgressActivity("waiting for the units to restart");
  VerifySystemUpdate(local, network, outcome);
  EndOperationProgress();
  PutLine(ReportStream, UpdateVerdict(outcome));
  return outcome;
}
