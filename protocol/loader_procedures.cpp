#include "protocol/loader_procedures.h"

#include "link/link_speed.h"
#include "link/packet.h"
#include "protocol/remote_call.h"
#include "runtime/clock.h"
#include "runtime/log.h"
#include "runtime/program_state.h"

namespace {

constexpr uint16_t TransferToRamCode = 0x1022;
constexpr uint16_t GetProgrammerVersionCode = 0x1031;
constexpr uint16_t EraseRangeCode = 0x1035;
constexpr uint16_t EraseFmsCode = 0x1036;
constexpr int32_t DefaultBufferSize = 128;

void Debug(std::string_view text) { PutText(DebugStream, text); }

void ChangeSpeedOrEnd(uint32_t speed, bool evenParity, uint16_t timeout) {
  if (!ChangePacketBaudRate(speed, evenParity, timeout, false)) FatalError("Unable to change baudrate");
}

}  // namespace

bool TransferToRamProgram(uint32_t address) {
  String name = "Transfer to RAM program at $";
  StringStream out(name);
  PutHex8(out, address);
  AnnounceCall(name);
  uint32_t oldSpeed = BaudRate;
  bool oldParity = EvenParity;
  String arguments = LongArgument(address);
  for (int attempt = 0; attempt < 12 && !ExitRequested; ++attempt) {
    switch (attempt % 3) {
      case 0: ChangeSpeedOrEnd(oldSpeed, oldParity, MediumPacketTimeout); break;
      case 1: ChangeSpeedOrEnd(115200, false, MediumPacketTimeout); break;
      default: ChangeSpeedOrEnd(9600, false, MediumPacketTimeout); break;
    }
    if (CallOnce(LoaderAddress, TransferToRamCode, arguments, 4)) {
      CallComplete();
      SleepMilliseconds(100);
      return true;
    }
  }
  CallFailed();
  return false;
}

bool GetProgrammerVersion(UnitInfo& unit) {
  if (unit.mcu == McuH8S2145) return true;
  AnnounceCall("GetProgrammerVersion");
  int8_t major = 0, minor = 0;
  if (!CallRepeated(8, LoaderAddress, GetProgrammerVersionCode, "", 6, [&] {
        major = static_cast<int8_t>(GetByte(PacketReader));
        minor = static_cast<int8_t>(GetByte(PacketReader));
      })) {
    CallFailed();
    return false;
  }
  unit.programmerversion[0] = major;
  unit.programmerversion[1] = minor;
  CallComplete();
  return true;
}

bool EraseRange(const UnitInfo& unit, uint32_t first, uint32_t last) {
  if (!IsLpcMcu(unit.mcu)) return true;
  AnnounceCall("EraseRange");
  String arguments = LongArgument(first);
  arguments.Append(LongArgument(last));
  if (!CallRepeated(8, LoaderAddress, EraseRangeCode, arguments, 4)) {
    CallFailed();
    return false;
  }
  CallComplete();
  return true;
}

bool EraseFMS(const UnitInfo& unit, uint8_t area, uint8_t& result) {
  if (!IsLpcMcu(unit.mcu)) FatalError("Only supported on LPC chips\r\n");
  AnnounceCall("EraseFMS");
  String arguments = Arguments({area, 'F', 'M', 'S'});
  uint8_t echoedArea = 0, status = 0;
  bool ok = false;
  for (int attempt = 0; attempt < 8 && !ok && !ExitRequested; ++attempt) {
    ok = CallOnce(LoaderAddress, EraseFmsCode, arguments, 6, [&] {
           echoedArea = GetByte(PacketReader);
           status = GetByte(PacketReader);
         }) &&
         echoedArea == area;
  }
  if (!ok) {
    CallFailed();
    return false;
  }
  result = status;
  Debug("COMPLETE: Result=");
  PutHex2(DebugStream, status);
  Debug("\r\n");
  return true;
}

bool GetBufferSize(UnitInfo& unit) {
  unit.buffersize = DefaultBufferSize;
  bool asks = unit.mcu != McuH8S2145 && unit.unitmode != ModeSoftware &&
              (unit.unitmode != ModeBootLoader || unit.bootrelease > 9);
  if (!asks) return true;
  uint16_t code = unit.bootrelease < 11 ? 0x1091 : 0x101F;
  AnnounceCall("GetBufferSize");
  uint16_t size = 0;
  if (!CallRepeated(2, LoaderAddress, code, "", 6, [&] { size = GetWord(PacketReader); })) {
    CallFailed();
    return false;
  }
  unit.buffersize = size;
  Debug("COMPLETE: Size=");
  PutInt(DebugStream, size);
  Debug("\r\n");
  return true;
}
