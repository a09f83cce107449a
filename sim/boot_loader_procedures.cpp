// The procedures a unit's boot loader answers, on the loader address. Its procedure
// numbers moved at release 11 (programmer speed 0x1090 → 0x1023, buffer size
// 0x1091 → 0x101F); the release information arrived with release 4 and the buffer
// size with release 10. A flash programmer comes in blocks into RAM and starts when
// the tool transfers control to its start address.
#include "sim/procedures.h"
#include "sim/simulator.h"

namespace {

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

bool SetProgrammerSpeed(Call& call) { return ChangeProgrammerSpeed(call, call.unit.Identity().bootRelease < 15); }

// Address (4), length (1 or 2 bytes: `lengthBytes`), data; the reply echoes address and length.
bool DownloadBlock(Call& call, size_t lengthBytes) {
  std::span<const uint8_t> arguments = call.arguments;
  size_t head = 4 + lengthBytes;
  if (arguments.size() < head) return Refuse(call, "a download block without its address and length");
  uint32_t address = LongAt(arguments, 0);
  size_t length = lengthBytes == 1 ? arguments[4] : WordAt(arguments, 4);
  if (length == 0 || arguments.size() != head + length) {
    return Refuse(call, "a download block of " + std::to_string(arguments.size() - head) + " bytes says " +
                            std::to_string(length));
  }
  if (length > call.unit.description.bufferSize) {
    return Refuse(call, "a download block of " + std::to_string(length) + " bytes does not fit its buffer");
  }
  if (!WriteRam(call.unit.ram, address, arguments.subspan(head))) {
    return Refuse(call, "a download block at $" + Hex8(address) + " leaves its memory bank");
  }
  call.results.assign(arguments.begin(), arguments.begin() + static_cast<long>(head));
  return true;
}

bool DownloadSmallBlock(Call& call) { return DownloadBlock(call, 1); }
bool DownloadLargeBlock(Call& call) { return DownloadBlock(call, 2); }

// Cortex-M start addresses are odd (the Thumb bit); the code is at the even one.
bool TransferToRamProgram(Call& call) {
  uint32_t start = LongAt(call.arguments, 0);
  if (!RamHolds(call.unit.ram, start & ~1u)) {
    return Refuse(call, "nothing was downloaded at the start address $" + Hex8(start));
  }
  call.afterReply = [&system = call.system, &unit = call.unit] { system.StartProgrammer(unit); };
  return true;
}

constexpr Procedure Table[] = {
    {0x1010, "ReadUnitInfo", 0, 0, AnyVersion, AnswerReadUnitInfo},
    {0x1012, "ReadBootLoaderVersion", 0, 0, AnyVersion, ReadBootLoaderVersion},
    {0x1013, "ReadBootLoaderRelease", 1, 4, AnyVersion, ReadBootLoaderRelease},
    {0x1020, "download small block", CountedArguments, 0, AnyVersion, DownloadSmallBlock},
    {0x1022, "Transfer to RAM program", 4, 0, AnyVersion, TransferToRamProgram},
    {0x1024, "download large block", CountedArguments, 0, AnyVersion, DownloadLargeBlock},
    {0x1032, "Reset", 0, 0, AnyVersion, Reset},
    {0x1090, "set programmer speed", 1, 0, 10, SetProgrammerSpeed},
    {0x1023, "set programmer speed", 1, 11, AnyVersion, SetProgrammerSpeed},
    {0x1091, "GetBufferSize", 0, 10, 10, AnswerBufferSize},
    {0x101F, "GetBufferSize", 0, 11, AnyVersion, AnswerBufferSize},
};

}  // namespace

std::span<const Procedure> BootLoaderProcedures() { return Table; }
