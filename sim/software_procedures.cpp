// The procedures a unit's own software answers.
#include <algorithm>

#include "sim/procedures.h"
#include "sim/simulator.h"

namespace {

constexpr uint32_t UnitSpeeds[] = {9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

// The fastest speed the unit's serial port runs at: the H8S cannot go beyond
// 115200, and software before 6.06r35 not beyond 230400.
uint32_t FastestSpeed(const UnitIdentity& identity) {
  if (identity.mcu == 2) return 115200;
  if (identity.softwareVersion < 606 || (identity.softwareVersion == 606 && identity.softwareBuild < 35)) {
    return 230400;
  }
  return 921600;
}

bool GotoBootLoader(Call& call) {
  call.afterReply = [&system = call.system, &unit = call.unit] { system.Restart(unit, Program::BootLoader); };
  return true;
}

bool ReadAdvancedInfo(Call& call) {
  const UnitIdentity& identity = call.unit.Identity();
  Bytes& results = call.results;
  // The count covers itself and everything after it: 33 fixed bytes, then the
  // Modbus address and the unit flags.
  results.push_back(35);
  results.push_back(0);
  results.push_back(identity.mcu);
  results.push_back(identity.bootVersion);
  results.push_back(identity.bootRelease);
  AppendWord(results, identity.card);
  AppendWord(results, identity.circuit);
  results.push_back(identity.revisionLetter);
  results.push_back(identity.revisionNumber);
  AppendWord(results, static_cast<uint16_t>(identity.softwareVersion));
  results.push_back(identity.softwareBuild);
  results.push_back(identity.buildIncrement);
  results.insert(results.end(), identity.buildTime.begin(), identity.buildTime.end());
  AppendLong(results, identity.checksum);
  AppendWord(results, identity.softwareCrc);
  AppendLong(results, static_cast<uint32_t>(identity.serialNumber));
  AppendWord(results, identity.product);
  results.push_back(call.unit.Address());
  results.push_back(identity.unitFlags);
  return true;
}

bool ReadExtendedInfo(Call& call) {
  const UnitIdentity& identity = call.unit.Identity();
  Bytes& results = call.results;
  results.push_back(26);  // the count of these results, itself included
  results.push_back(identity.information.empty() ? 0 : 1);
  results.insert(results.end(), 6, 0);
  AppendLong(results, static_cast<uint32_t>(identity.serialNumber));
  results.insert(results.end(), 7, 0);
  results.insert(results.end(), identity.buildTime.begin(), identity.buildTime.end());
  results.push_back(static_cast<uint8_t>(identity.information.size()));
  return true;
}

bool ReadInformationText(Call& call) {
  const std::string& text = call.unit.Identity().information;
  call.results.assign(text.begin(), text.end());
  return true;
}

bool ListRemoteUnits(Call& call) {
  std::vector<uint8_t> addresses = call.system.RunningUnitsOtherThan(call.unit.Address());
  call.results.push_back(static_cast<uint8_t>(addresses.size()));
  call.results.insert(call.results.end(), addresses.begin(), addresses.end());
  return true;
}

bool ResetSystem(Call& call) {
  call.afterReply = [&system = call.system] { system.RestartSystem(); };
  return true;
}

bool GetModbusAddress(Call& call) {
  call.results.push_back(call.unit.Address());
  return true;
}

bool IsVComPort(Call& call) {
  call.results.push_back(call.unit.description.virtualComPort ? 1 : 0);
  return true;
}

bool SetUnitSpeed(Call& call) {
  uint32_t speed = LongAt(call.arguments, 0);
  bool known = std::find(std::begin(UnitSpeeds), std::end(UnitSpeeds), speed) != std::end(UnitSpeeds);
  if (!known || speed > FastestSpeed(call.unit.Identity())) {
    call.system.Note("unit " + std::to_string(call.unit.Address()) + ": refuses speed " +
                     std::to_string(speed));
    return false;
  }
  call.afterReply = [&system = call.system, &unit = call.unit, speed] {
    system.ChangeSpeed(unit, speed, true);
  };
  return true;
}

bool Reset(Call& call) {
  call.afterReply = [&system = call.system, &unit = call.unit] { system.Restart(unit, Program::Software); };
  return true;
}

bool WaitForUnit(Call& call) {
  call.results.push_back(call.system.Now() >= call.unit.readyAt ? 1 : 0);
  return true;
}

bool GetDebugLogs(Call& call) {
  const std::vector<uint16_t>& ids = call.unit.description.debugLogs;
  call.results.push_back(static_cast<uint8_t>(ids.size()));
  for (uint16_t id : ids) AppendWord(call.results, id);
  return true;
}

constexpr Procedure Table[] = {
    {0x1010, "ReadUnitInfo", 0, 0, AnyVersion, AnswerReadUnitInfo},
    {0x1011, "GotoBootLoader", 0, 0, AnyVersion, GotoBootLoader},
    {0x1014, "ReadAdvancedInfo", 0, 600, AnyVersion, ReadAdvancedInfo},
    {0x1015, "ReadExtendedInfo", 0, 220, AnyVersion, ReadExtendedInfo},
    {0x1016, "ReadInformationText", 0, 220, AnyVersion, ReadInformationText},
    {0x1017, "ListRemoteUnits", 0, 0, AnyVersion, ListRemoteUnits},
    {0x1018, "ResetSystem", 0, 0, AnyVersion, ResetSystem},
    {0x101B, "GetModbusAddress", 0, 0, AnyVersion, GetModbusAddress},
    {0x101C, "IsVComPort", 0, 606, AnyVersion, IsVComPort},
    {0x1030, "set unit speed", 4, 600, AnyVersion, SetUnitSpeed},
    {0x1032, "Reset", 0, 0, AnyVersion, Reset},
    {0x1033, "wait for unit", 0, 600, AnyVersion, WaitForUnit},
    {0x1034, "GetDebugLogs", 0, 0, AnyVersion, GetDebugLogs},
    {0x1080, "AccessSetting", 12, 600, AnyVersion, AnswerAccessSetting},
};

}  // namespace

std::span<const Procedure> SoftwareProcedures() { return Table; }
