#include "protocol/speed_negotiation.h"

#include <span>

#include "link/link_speed.h"
#include "protocol/remote_call.h"
#include "runtime/log.h"
#include "runtime/program_state.h"

uint32_t ProgrammerBaudRate = 0;

namespace {

constexpr int DefaultIndex = 5;
constexpr uint16_t SetUnitSpeedCode = 0x1030;

void ChangeSpeedOrEnd(uint32_t speed, bool evenParity, uint16_t timeout) {
  if (!ChangePacketBaudRate(speed, evenParity, timeout, false)) FatalError("Unable to change baudrate");
}

// The table index of `speed`, or the default after telling the operator what exists.
int SpeedIndex(std::span<const uint32_t> table, uint32_t speed) {
  for (size_t i = 1; i < table.size(); ++i) {
    if (table[i] == speed) return static_cast<int>(i);
  }
  PutText(ReportStream, "Unknown baudrate: ");
  PutInt(ReportStream, speed);
  PutText(ReportStream, "\r\nAvailable baudrates are:");
  for (size_t i = 1; i < table.size(); ++i) {
    PutChar(ReportStream, ' ');
    PutInt(ReportStream, table[i]);
  }
  PutText(ReportStream, "\r\nUsing 115200\r\n");
  return DefaultIndex;
}

bool BelowSoftware606r35(const UnitInfo& unit) {
  return unit.softwareversion < 606 || (unit.softwareversion == 606 && unit.softwarebuild < 35);
}

bool AskUnitForSpeed(const UnitInfo& unit, uint32_t speed) {
  return CallOnce(unit.SlaveAddress, SetUnitSpeedCode, LongArgument(speed), 4);
}

}  // namespace

bool SetUnitBaudRate(const UnitInfo& unit, uint32_t speed) {
  if (unit.unitmode != ModeSoftware) return false;
  uint32_t oldSpeed = BaudRate;
  bool oldParity = EvenParity;
  int index = DefaultIndex;
  if (speed != 0) {
    if (unit.mcu == McuH8S2145) speed = std::min<uint32_t>(speed, 115200);
    else if (speed > 230400 && BelowSoftware606r35(unit)) speed = 230400;
    PutText(DebugStream, "Velantor baud rate ");
    PutInt(DebugStream, speed);
    PutText(DebugStream, " specified\r\n");
    index = SpeedIndex(UnitSpeeds, speed);
  }
  uint32_t target = UnitSpeeds[index];
  if (target == BaudRate) {
    PutText(DebugStream, "No change - already at the specified baud rate\r\n");
    SetPacketTimeout(LongPacketTimeout);
    return true;
  }
  PutText(DebugStream, "Changing Velantor baud rate to ");
  PutInt(DebugStream, target);
  PutText(DebugStream, "\r\n");
  bool asked = false;
  for (int attempt = 0; attempt < 8 && !asked && !ExitRequested; ++attempt) {
    if (attempt % 2 == 0) ChangeSpeedOrEnd(oldSpeed, oldParity, MediumPacketTimeout);
    else ChangeSpeedOrEnd(target, false, MediumPacketTimeout);
    asked = AskUnitForSpeed(unit, target);
  }
  if (!asked) {
    CallFailed();
    return false;
  }
  ChangeSpeedOrEnd(target, false, MediumPacketTimeout);
  bool answers = false;
  for (int attempt = 0; attempt < 4 && !answers && !ExitRequested; ++attempt) answers = Ping(unit.SlaveAddress);
  if (!answers) {
    PutText(ReportStream, "-- could not connect at ");
    PutInt(ReportStream, target);
    PutText(ReportStream, " - falling back to 115200\r\n");
    target = 115200;
    ChangeSpeedOrEnd(target, false, MediumPacketTimeout);
    bool echoed = false;
    for (int attempt = 0; attempt < 150 && !echoed && !ExitRequested; ++attempt) echoed = AskUnitForSpeed(unit, target);
    if (!echoed) {
      CallFailed();
      return false;
    }
  }
  CallComplete();
  ChangeSpeedOrEnd(target, false, LongPacketTimeout);
  return true;
}

bool SetProgrammerBaudRate(const UnitInfo& unit, uint32_t speed, bool extended) {
  std::span<const uint32_t> table = extended ? std::span<const uint32_t>(ExtendedProgrammerSpeeds)
                                             : std::span<const uint32_t>(ProgrammerSpeeds);
  uint32_t oldSpeed = BaudRate;
  bool oldParity = EvenParity;
  int index = DefaultIndex;
  if (speed != 0) {
    if (unit.mcu == McuH8S2145) speed = std::min<uint32_t>(speed, 115200);
    PutText(DebugStream, "Programmer baud rate ");
    PutInt(DebugStream, speed);
    PutText(DebugStream, " specified\r\n");
    index = SpeedIndex(table, speed);
  }
  uint32_t target = table[static_cast<size_t>(index)];
  if (target == BaudRate) {
    PutText(DebugStream, "No change - already at the specified baud rate ");
    PutInt(DebugStream, target);
    PutText(DebugStream, "\r\n");
    SetPacketTimeout(LongPacketTimeout);
    return true;
  }
  PutText(DebugStream, "Changing programmer baud rate to ");
  PutInt(DebugStream, target);
  PutText(DebugStream, "\r\n");
  uint16_t code = unit.bootrelease <= 10 ? 0x1090 : 0x1023;
  String arguments = Arguments({static_cast<uint8_t>(index)});
  for (int attempt = 0; attempt < 16 && !ExitRequested; ++attempt) {
    switch (attempt % 4) {
      case 0: ChangeSpeedOrEnd(oldSpeed, oldParity, ShortPacketTimeout); break;
      case 1: ChangeSpeedOrEnd(target, false, ShortPacketTimeout); break;
      case 2: ChangeSpeedOrEnd(115200, false, ShortPacketTimeout); break;
      default: ChangeSpeedOrEnd(9600, false, ShortPacketTimeout); break;
    }
    if (CallOnce(LoaderAddress, code, arguments, 4)) {
      CallComplete();
      ChangeSpeedOrEnd(target, false, LongPacketTimeout);
      return true;
    }
  }
  CallFailed();
  return false;
}
