// The procedures a unit's boot loader answers, on the loader address. Its procedure
// numbers moved at release 11 (programmer speed 0x1090 → 0x1023, buffer size
// 0x1091 → 0x101F); the release information arrived with release 4 and the buffer
// size with release 10.
#include "sim/procedures.h"
#include "sim/simulator.h"

namespace {

// Transfer speeds by index. Boot loaders before release 15 know the extended
// table, with 128000 between 115200 and 230400; later ones the standard table.
constexpr uint32_t StandardSpeeds[] = {0, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
constexpr uint32_t ExtendedSpeeds[] = {0, 9600, 19200, 38400, 57600, 115200, 128000, 230400, 460800, 921600};

bool ReadBootLoaderVersion(Call& call) {
  const UnitIdentity& identity = call.unit.Identity();
  call.results.push_back(static_cast<uint8_t>(identity.mcu << 4 | (identity.bootVersion & 0x0F)));
  return true;
}

bool ReadBootLoaderRelease(Call& call) {
  const UnitIdentity& identity = call.unit.Identity();
  call.results.push_back(identity.bootType);
  call.results.push_back(identity.mcu);
  call.results.push_back(identity.bootVersion);
  call.results.push_back(identity.bootRelease);
  AppendLong(call.results, identity.checksum);
  call.results.push_back(identity.bootFlags);
  return true;
}

bool Reset(Call& call) {
  call.afterReply = [&system = call.system, &unit = call.unit] { system.Restart(unit, Program::Software); };
  return true;
}

bool SetProgrammerSpeed(Call& call) {
  std::span<const uint32_t> speeds = call.unit.Identity().bootRelease < 15
                                         ? std::span<const uint32_t>(ExtendedSpeeds)
                                         : std::span<const uint32_t>(StandardSpeeds);
  uint8_t index = call.arguments[0];
  if (index == 0 || index >= speeds.size()) {
    call.system.Note("unit " + std::to_string(call.unit.Address()) + ": boot loader refuses speed index " +
                     std::to_string(index));
    return false;
  }
  uint32_t speed = speeds[index];
  call.afterReply = [&system = call.system, &unit = call.unit, speed] {
    system.ChangeSpeed(unit, speed, false);
  };
  return true;
}

bool GetBufferSize(Call& call) {
  AppendWord(call.results, call.unit.description.bufferSize);
  return true;
}

constexpr Procedure Table[] = {
    {0x1010, "ReadUnitInfo", 0, 0, AnyVersion, AnswerReadUnitInfo},
    {0x1012, "ReadBootLoaderVersion", 0, 0, AnyVersion, ReadBootLoaderVersion},
    {0x1013, "ReadBootLoaderRelease", 1, 4, AnyVersion, ReadBootLoaderRelease},
    {0x1032, "Reset", 0, 0, AnyVersion, Reset},
    {0x1090, "set programmer speed", 1, 0, 10, SetProgrammerSpeed},
    {0x1023, "set programmer speed", 1, 11, AnyVersion, SetProgrammerSpeed},
    {0x1091, "GetBufferSize", 0, 10, 10, GetBufferSize},
    {0x101F, "GetBufferSize", 0, 11, AnyVersion, GetBufferSize},
};

}  // namespace

std::span<const Procedure> BootLoaderProcedures() { return Table; }
