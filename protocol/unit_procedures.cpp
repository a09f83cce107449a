#include "protocol/unit_procedures.h"

#include "link/link_speed.h"
#include "link/packet.h"
#include "link/port_control.h"
#include "protocol/remote_call.h"
#include "runtime/clock.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/program_state.h"

namespace {

constexpr uint16_t GotoBootLoaderCode = 0x1011;
constexpr uint16_t ListRemoteUnitsCode = 0x1017;
constexpr uint16_t ResetSystemCode = 0x1018;
constexpr uint16_t GetModbusAddressCode = 0x101B;
constexpr uint16_t IsVComPortCode = 0x101C;
constexpr uint16_t ResetCode = 0x1032;
constexpr uint16_t WaitForUnitCode = 0x1033;
constexpr uint16_t GetDebugLogsCode = 0x1034;


// A reply of a head, a count byte and `itemSize` bytes per item, read in two parts.
// Every item is read so that the link stays in step; `keep` receives them.
bool CountedCall(uint8_t address, uint16_t code, int itemSize, int& count,
                 const std::function<void(int index, uint32_t item)>& keep) {
  BeginCall(address, code);
  SendPacket(LinkPort, 4);
  RecvPartialPacket(LinkPort, 5);
  ReplyHead head = ReadReplyHead();
  count = GetByte(PacketReader);
  if (count > 0) RecvPartialPacket(LinkPort, static_cast<uint32_t>(count * itemSize));
  for (int i = 0; i < count; ++i) keep(i, itemSize == 1 ? GetByte(PacketReader) : GetWord(PacketReader));
  return EndCall(head, address, code);
}

bool ResetAttempts(int attempts, uint8_t address) {
  for (int attempt = 0; attempt < attempts && !ExitRequested; ++attempt) {
    AnnounceCall("Reset");
    if (CallOnce(address, ResetCode, "", 4)) {
      CallComplete();
      return true;
    }
  }
  CallFailed();
  return false;
}

}  // namespace

bool GotoBootLoader() {
  return CallRepeated(800 / MediumPacketTimeout, LocalUnitAddress, GotoBootLoaderCode, "", 4);
}

bool ListRemoteUnits(RemoteUnitList& list) {
  AnnounceCall("ListRemoteUnits");
  RemoteUnitList read{};
  int count = 0;
  bool ok = false;
  for (int attempt = 0; attempt < 8 && !ok && !ExitRequested; ++attempt) {
    ok = CountedCall(LocalUnitAddress, ListRemoteUnitsCode, 1, count,
                     [&](int index, uint32_t address) { read.addresses[index] = static_cast<uint8_t>(address); });
  }
  if (!ok) {
    CallFailed();
    return false;
  }
  read.count = count;
  list = read;
  PutLine(DebugStream, "COMPLETE: ", count, " unit(s) found");
  return true;
}

bool ResetSystem(const UnitInfo& unit) {
  if (unit.unitmode != ModeSoftware) FatalError("Unable to restart system");
  for (int attempt = 0; attempt < 8 && !ExitRequested; ++attempt) {
    AnnounceCall("ResetSystem");
    if (CallOnce(unit.SlaveAddress, ResetSystemCode, "", 4)) {
      CallComplete();
      return true;
    }
  }
  CallFailed();
  return false;
}

bool GetModbusAddress(const UnitInfo& unit) {
  AnnounceCall("GetModbusAddress");
  uint8_t address = 0;
  if (!CallRepeated(4, unit.SlaveAddress, GetModbusAddressCode, "", 5,
                    [&] { address = GetByte(PacketReader); })) {
    CallFailed();
    return false;
  }
  LocalUnitAddress = address;
  PutLine(DebugStream, "COMPLETE: ModbusAddress=", address, " (", Hex{address, 2}, ")");
  return true;
}

bool IsVComPort(const UnitInfo& unit) {
  if (unit.unitmode != ModeSoftware || unit.softwareversion <= 605) return false;
  AnnounceCall("IsVComPort");
  uint8_t flag = 0;
  if (!CallRepeated(8, unit.SlaveAddress, IsVComPortCode, "", 5, [&] { flag = GetByte(PacketReader); })) {
    CallFailed();
    return false;
  }
  PutText(DebugStream, flag != 0 ? "COMPLETE: Result=1\r\n" : "COMPLETE: Result=0\r\n");
  return flag != 0;
}

bool ResetUnit(UnitInfo& unit) {
  switch (unit.unitmode) {
    case ModeSoftware: {
      bool ok = ResetAttempts(8, unit.SlaveAddress);
      // A local unit is restarting now; one behind it stays reachable through the local unit.
      if (unit.SlaveAddress == LocalUnitAddress) unit.unitmode = ModeUnknown;
      return ok;
    }
    case ModeBootLoader:
    case ModeProgrammer:
      if (!ResetAttempts(4, LoaderAddress)) return false;
      unit.unitmode = ModeUnknown;
      return true;
    default:
      PutText(DebugStream, "Unknown unit mode\r\n");
      return false;
  }
}

bool WaitForUnit(const UnitInfo& unit) {
  if (unit.unitmode != ModeSoftware || unit.softwareversion < 600) return false;
  PutText(ReportStream, "Waiting for unit...\r\n");
  uint32_t start = TickMilliseconds();
  while (TickMilliseconds() - start <= 10000) {
    uint8_t ready = 0;
    if (CallOnce(unit.SlaveAddress, WaitForUnitCode, "", 5, [&] { ready = GetByte(PacketReader); }) &&
        ready != 0) {
      PutText(ReportStream, "\r\n");
      return true;
    }
    SleepMilliseconds(200);
    PutText(ReportStream, ".");
  }
  CallFailed();
  return false;
}

bool GetDebugLogs(const UnitInfo& unit, DebugLogIds& logs) {
  if (unit.unitmode != ModeSoftware) return false;
  AnnounceCall("GetDebugLogs");
  DebugLogIds read{};
  int count = 0;
  bool ok = false;
  for (int attempt = 0; attempt < 4 && !ok && !ExitRequested; ++attempt) {
    ok = CountedCall(unit.SlaveAddress, GetDebugLogsCode, 2, count, [&](int index, uint32_t id) {
      read.ids[index] = static_cast<uint16_t>(id);
    });
  }
  if (!ok) {
    CallFailed();
    return false;
  }
  read.count = count;
  logs = read;
  PutText(DebugStream, "COMPLETE: ");
  PutInt(DebugStream, count);
  PutText(DebugStream, " id(s) found\r\n");
  return true;
}
