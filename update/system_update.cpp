#include "update/system_update.h"

#include "protocol/identification.h"
#include "protocol/speed_negotiation.h"
#include "protocol/unit_procedures.h"
#include "runtime/log.h"
#include "update/software_update.h"
#include "update/system_listing.h"

namespace {

constexpr int8_t McuLpc2478 = 3;

void Say(std::string_view line) {
  PutText(ReportStream, line);
  PutText(ReportStream, "\r\n");
}

void SayAddressed(const char* before, uint8_t address, const char* after) {
  PutText(ReportStream, before);
  PutInt(ReportStream, address);
  PutText(ReportStream, after);
  PutText(ReportStream, "\r\n");
}

void RefuseRemoteUpdate(const UnitInfo& unit, const char* requirement) {
  SayAddressed("Velantor Unit ", unit.SlaveAddress, requirement);
  Say("");
  SayAddressed("IMPORTANT: Please connect the serial port to the COM1 RS232 port on the unit and run Relvane again "
               "to update unit ",
               unit.SlaveAddress, "");
  Say("");
}

// An old KD5 cannot relay update files: it is brought up to date directly first.
void UpdateOldKd5(UnitInfo& unit) {
  WriteUnitReport(unit);
  Say("");
  Say("This KD5 display unit needs to be updated immediately. It will be restarted");
  Say("after the update is complete. You may need to rerun Relvane again after");
  Say("the update.");
  Say("");
  Say("IMPORTANT: do not turn off the power during the update.");
  Say("");
  if (UpdateSoftware(unit, true, false)) {
    RestartAfterUpdate(unit);
    WaitForUnit(unit);
  } else if (unit.unitmode != ModeSoftware && !ResetUnit(unit)) {
    FatalError("Unable to restart unit");
  }
}

// Every listed unit gets its update files; the system restart applies them.
bool UpdateNetwork(UnitInfo& local, const RemoteUnitList& remote) {
  if (!SetUnitBaudRate(local, ProgrammerBaudRate)) FatalError("Unable to change baud rate");
  Say("Velantor Unit(s) found:");
  Say("Address  Information");
  ListedUnits listed{};
  uint8_t silent = 0;
  ListSystemUnits(local, remote, SilentUnit::Skipped, listed, silent);
  Say("");
  Say("1. The software update will be downloaded to the above units.");
  Say("2. After the download is complete the software update will be applied ");
  Say("   the next time the units are restarted.");
  Say("3. You can either restart the units immediately after the download is ");
  Say("   complete, or wait until a convenient time and restart them yourself.");
  Say("");
  Say("Downloading software updates...");
  bool anyFailed = false;
  for (int i = 0; i < listed.count; ++i) {
    UnitInfo unit{};
    unit.unitmode = ModeSoftware;
    unit.SlaveAddress = listed.addresses[i];
    if (UpdateRemoteUnit(unit)) {
      SayAddressed("Velantor Unit: ", unit.SlaveAddress, " updated");
    } else {
      SayAddressed("Unable to update Velantor Unit: ", unit.SlaveAddress, "");
      anyFailed = true;
    }
    Say("");
  }
  if (!ResetSystem(local)) FatalError("Unable to restart system");
  return anyFailed;
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

bool FieldUpdateUnit(UnitInfo& local) {
  PutText(DebugStream, "FieldUpdateUnit\r\n");
  if (local.mcu == McuLpc2478 && (local.softwareversion < 600 || local.bootrelease < 18)) UpdateOldKd5(local);
  bool anyFailed = false;
  RemoteUnitList remote{};
  if (local.unitmode == ModeSoftware && local.softwareversion >= 600 && ListRemoteUnits(remote)) {
    anyFailed = UpdateNetwork(local, remote);
  } else {
    WriteUnitReport(local);
    if (UpdateSoftware(local, false, false)) {
      RestartAfterUpdate(local);
    } else if (local.unitmode != ModeSoftware && !ResetUnit(local)) {
      FatalError("Unable to restart unit");
    }
  }
  Say(anyFailed ? "Complete: some units could not be updated" : "Success: all operations are complete");
  return !anyFailed;
}
