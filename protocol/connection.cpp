#include "protocol/connection.h"

#include "link/link_speed.h"
#include "link/port_control.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "protocol/loader_procedures.h"
#include "protocol/remote_call.h"
#include "protocol/speed_negotiation.h"
#include "protocol/unit_procedures.h"
#include "runtime/clock.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/program_state.h"

bool RelayCapable = false;

namespace {

constexpr uint8_t TestJigDisplayAddress = 60;

void ChangeSpeedOrEnd(uint32_t speed, uint16_t timeout, bool direct = false) {
  if (!ChangePacketBaudRate(speed, false, timeout, direct)) FatalError("Unable to change baudrate");
}

void Dot() {
  PutChar(StandardOutput, '.');
  FlushStandardStreams();
}

// The power-cycle wait at one speed: about `milliseconds` of boot loader calls.
bool CatchBootLoader(UnitInfo& unit, uint32_t speed, uint32_t milliseconds) {
  ChangeSpeedOrEnd(speed, ShortPacketTimeout);
  SaveConnectionBaudRate();
  AnnounceCall("ReadBootLoaderVersion");
  for (uint32_t attempt = 0; attempt < milliseconds / ShortPacketTimeout; ++attempt) {
    if (ExitRequested) FatalError("Aborted");
    if (ReadBootLoaderVersion(unit)) {
      CallComplete();
      unit.SlaveAddress = LocalUnitAddress = LoaderAddress;
      unit.unitmode = ModeBootLoader;
      PutLine(ReportStream, "\r\n-- Found Unit (velantor boot loader)");
      return true;
    }
  }
  return false;
}

// The unit's software answers a ping and the basic information call.
bool PingAndReadBasicInfo(UnitInfo& unit) { return Ping(unit.SlaveAddress) && ReadUnitInfoOnce(unit); }

// A fresh record of the unit at `address`, as its own software describes it.
UnitInfo Identify(uint8_t address) {
  UnitInfo fresh{};
  fresh.unitmode = ModeSoftware;
  fresh.SlaveAddress = address;
  ReadUnitInfo(fresh);
  ReadExtendedInfo(fresh);
  ReadAdvancedInfo(fresh);
  return fresh;
}

bool SameKind(const UnitInfo& a, const UnitInfo& b) { return a.unittype == b.unittype && a.mcu == b.mcu; }

bool ListContains(const RemoteUnitList& list, uint8_t address) {
  for (int i = 0; i < list.count; ++i) {
    if (list.addresses[i] == address) return true;
  }
  return false;
}

bool ReconnectRemote(UnitInfo& unit, uint32_t start, bool& dots) {
  if (unit.unitmode == ModeUnknown) {
    PutLine(DebugStream, "-- software mode of unit is unknown for remote unit, setting to velantor software mode");
    unit.unitmode = ModeSoftware;
  }
  RestoreConnectionBaudRate(MediumPacketTimeout);
  while (TickMilliseconds() - start < 10000) {
    if (ExitRequested) return false;
    SleepMilliseconds(100);
    RemoteUnitList list{};
    if (!ListRemoteUnits(list) || !ListContains(list, unit.SlaveAddress)) continue;
    UnitInfo fresh = Identify(unit.SlaveAddress);
    if (SameKind(fresh, unit)) {
      CopyUnitInfo(unit, fresh);
      return true;
    }
  }
  RestoreConnectionBaudRate(LongPacketTimeout);
  while (TickMilliseconds() - start < 60000) {
    if (ExitRequested) return false;
    RemoteUnitList list{};
    bool found = false;
    UnitInfo match{};
    if (ListRemoteUnits(list)) {
      for (int i = 0; i < list.count; ++i) {
        PutLine(DebugStream, "Checking Velantor Unit: ", list.addresses[i]);
        UnitInfo fresh = Identify(list.addresses[i]);
        if (!SameKind(fresh, unit)) continue;
        if (fresh.SlaveAddress == TestJigDisplayAddress && fresh.unittype == UnitDisplay &&
            fresh.serialnumber != unit.serialnumber) {
          PutLine(DebugStream, "-- TestJig control display (ignored)");
          continue;
        }
        if (found) FatalError("Found more than one unit that matches the product type, unable to complete update");
        found = true;
        match = fresh;
      }
    }
    if (found) {
      PutLine(DebugStream, "-- found matching unit: ", match.SlaveAddress);
      if (unit.serialnumber != 0 && match.serialnumber != unit.serialnumber) {
        PutLine(ReportStream, "\r\nWarning: serial number does not match!");
      }
      CopyUnitInfo(unit, match);
      return true;
    }
    Dot();
    dots = true;
  }
  return false;
}

// One try of the pair; a try that failed at once (a port that refuses every byte
// while the unit restarts) is paced to the reply time, so that the line is not
// flooded with pings.
bool PacedPingAndReadBasicInfo(UnitInfo& unit) {
  uint32_t tried = TickMilliseconds();
  if (PingAndReadBasicInfo(unit)) return true;
  uint32_t spent = TickMilliseconds() - tried;
  if (spent < MediumPacketTimeout) SleepMilliseconds(MediumPacketTimeout - spent);
  return false;
}

bool BasicInfoWithin(UnitInfo& unit, uint32_t start, uint32_t limit) {
  AnnounceCall("Ping and ReadBasicInfo");
  while (TickMilliseconds() - start < limit && !ExitRequested) {
    if (PacedPingAndReadBasicInfo(unit)) {
      CallComplete();
      return true;
    }
  }
  return false;
}

bool ReconnectLocal(UnitInfo& unit, uint32_t start, bool& dots) {
  RestoreConnectionBaudRate(MediumPacketTimeout);
  bool found = BasicInfoWithin(unit, TickMilliseconds(), 5000);
  while (!found && TickMilliseconds() - start < 60000) {
    if (ExitRequested) return false;
    if (FindUnitOnPort(unit)) {
      RestoreConnectionBaudRate(MediumPacketTimeout);
      AnnounceCall("Ping and ReadBasicInfo");
      for (int pair = 0; pair < 2000 / MediumPacketTimeout && !found && !ExitRequested; ++pair) {
        found = PacedPingAndReadBasicInfo(unit);
      }
      if (found) {
        CallComplete();
        break;
      }
    }
    Dot();
    dots = true;
  }
  if (!found) return false;
  unit.unitmode = ModeSoftware;
  ReadExtendedInfo(unit);
  ReadAdvancedInfo(unit);
  return true;
}

// Sets the PC's side to the boot loader's speed after the unit restarted into it.
void FollowIntoBootLoader(int pass) {
  uint32_t speed = pass % 2 == 0 ? 9600 : 115200;
  ChangeSpeedOrEnd(speed, ShortPacketTimeout, pass < 2);
}

}  // namespace

bool Connect(UnitInfo& unit) {
  PutLine(DebugStream, "Connecting to Velantor unit...");
  for (;;) {
    RestoreConnectionBaudRate(MediumPacketTimeout);
    if (unit.unitmode == ModeSoftware) Ping(LocalUnitAddress);
    if (ReadUnitInfo(unit)) break;
    // Nobody can power-cycle a unit into a link that is gone.
    if (LinkVanished()) return false;
    if (!ConnectBootLoader(unit)) return false;
  }
  if (unit.unitmode == ModeBootLoader) ReadBootLoaderRelease(unit);
  if (unit.unitmode == ModeUnknown) PutLine(DebugStream, "-- software mode of unit is unknown");
  RelayCapable = unit.softwareversion >= 604;
  RestoreConnectionBaudRate(LongPacketTimeout);
  return true;
}

bool ConnectBootLoader(UnitInfo& unit) {
  unit.SlaveAddress = LocalUnitAddress = LoaderAddress = 1;
  PutLine(ReportStream, "Attempting to connect to boot loader, please turn the unit power off and on now");
  if (CatchBootLoader(unit, 9600, 60000)) return true;
  PutLine(ReportStream, "Attempting to connect to boot loader at 115200 baud, please turn the unit power off and on now");
  return CatchBootLoader(unit, 115200, 30000);
}

bool Reconnect(UnitInfo& unit) {
  uint32_t start = TickMilliseconds();
  PutLine(ReportStream, "Reconnecting to unit ", unit.SlaveAddress);
  bool dots = false;
  bool found = unit.SlaveAddress != LocalUnitAddress ? ReconnectRemote(unit, start, dots)
                                                     : ReconnectLocal(unit, start, dots);
  if (dots) PutText(StandardOutput, "\r\n");
  if (!found) return false;
  if (unit.unitmode == ModeUnknown) PutLine(DebugStream, "-- software mode of unit is unknown");
  RestoreConnectionBaudRate(LongPacketTimeout);
  return true;
}

bool InitialiseForUpdate(UnitInfo& unit) {
  PutLine(DebugStream, "InitialiseForUpdate: Rebooting unit");
  bool connected = false;
  for (int pass = 0; pass < 4 && !connected; ++pass) {
    SetPacketTimeout(MediumPacketTimeout);
    if (unit.unitmode == ModeSoftware && unit.softwareversion >= 600) {
      if (!SetUnitBaudRate(unit, pass < 2 ? 9600 : 115200)) FatalError("Unable to change baud rate");
      SetPacketTimeout(MediumPacketTimeout);
    }
    AnnounceCall("GotoBootLoader");
    if (!GotoBootLoader()) break;
    CallComplete();
    FollowIntoBootLoader(pass);
    AnnounceCall("ReadBootLoaderVersion");
    for (int attempt = 0; attempt < 1000 / ShortPacketTimeout && !connected && !ExitRequested; ++attempt) {
      connected = ReadBootLoaderVersion(unit);
    }
    if (connected) {
      CallComplete();
      break;
    }
    if (!FindUnitOnPort(unit)) break;
  }
  if (!connected && !ConnectBootLoader(unit)) return false;
  unit.unitmode = ModeBootLoader;
  SetPacketTimeout(MediumPacketTimeout);
  AnnounceCall("ReadBootLoaderRelease");
  if (ReadBootLoaderRelease(unit)) CallComplete();
  GetBufferSize(unit);
  return true;
}
