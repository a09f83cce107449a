// The procedures of the flash programmer a unit runs in its RAM, on the loader
// address: its version and buffer, the transfer speed (always from the standard
// table), the erase of a flash range and the block writes, its own restart, and the
// unit's restart. Every write answers with a result byte: 0 written, otherwise the
// flash failed (a range not erased, a fault ordered on the cells).
#include "sim/procedures.h"
#include "sim/simulator.h"

namespace {

constexpr uint8_t VersionMajor = 2;
constexpr uint8_t VersionMinor = 4;

bool GetProgrammerVersion(Call& call) {
  call.results = {VersionMajor, VersionMinor};
  return true;
}

bool SetProgrammerSpeed(Call& call) { return ChangeProgrammerSpeed(call, false); }

bool EraseRange(Call& call) {
  uint32_t first = LongAt(call.arguments, 0);
  uint32_t last = LongAt(call.arguments, 4);
  if (!EraseFlash(call.unit.flash, call.unit.Identity().mcu, first, last)) {
    return Refuse(call, "cannot erase $" + Hex8(first) + " to $" + Hex8(last));
  }
  call.system.Note("unit " + std::to_string(call.unit.Address()) + ": flash erased from $" + Hex8(first) + " to $" +
                   Hex8(last));
  return true;
}

// Address (4), length (1 or 2 bytes), data; the reply echoes address and length and
// adds the result.
bool WriteBlock(Call& call, size_t lengthBytes) {
  std::span<const uint8_t> arguments = call.arguments;
  size_t head = 4 + lengthBytes;
  if (arguments.size() < head) return Refuse(call, "a write block without its address and length");
  uint32_t address = LongAt(arguments, 0);
  size_t length = lengthBytes == 1 ? arguments[4] : WordAt(arguments, 4);
  if (length == 0 || arguments.size() != head + length) {
    return Refuse(call, "a write block of " + std::to_string(arguments.size() - head) + " bytes says " +
                            std::to_string(length));
  }
  if (length > call.unit.description.bufferSize) {
    return Refuse(call, "a write block of " + std::to_string(length) + " bytes does not fit its buffer");
  }
  uint8_t result = call.system.FlashFault(call.unit, address, static_cast<uint32_t>(length));
  if (result == 0) result = WriteFlash(call.unit.flash, address, arguments.subspan(head));
  if (result != 0) {
    call.system.Note("unit " + std::to_string(call.unit.Address()) + ": flash write at $" + Hex8(address) +
                     " failed with result " + std::to_string(result));
  }
  call.results.assign(arguments.begin(), arguments.begin() + static_cast<long>(head));
  call.results.push_back(result);
  return true;
}

bool WriteSmallBlock(Call& call) { return WriteBlock(call, 1); }
bool WriteLargeBlock(Call& call) { return WriteBlock(call, 2); }

bool ResetProgrammer(Call& call) {
  call.afterReply = [&system = call.system, &unit = call.unit] { system.StartProgrammer(unit); };
  return true;
}

bool Reset(Call& call) {
  call.afterReply = [&system = call.system, &unit = call.unit] { system.Restart(unit, Program::Software); };
  return true;
}

constexpr Procedure Table[] = {
    {0x1031, "GetProgrammerVersion", 0, 0, AnyVersion, GetProgrammerVersion},
    {0x1090, "set programmer speed", 1, 0, 10, SetProgrammerSpeed},
    {0x1023, "set programmer speed", 1, 11, AnyVersion, SetProgrammerSpeed},
    {0x1091, "GetBufferSize", 0, 0, 10, AnswerBufferSize},
    {0x101F, "GetBufferSize", 0, 11, AnyVersion, AnswerBufferSize},
    {0x1035, "EraseRange", 8, 0, AnyVersion, EraseRange},
    {0x1040, "write small block", CountedArguments, 0, AnyVersion, WriteSmallBlock},
    {0x1042, "write large block", CountedArguments, 0, AnyVersion, WriteLargeBlock},
    {0x1033, "ResetProgrammer", 0, 0, AnyVersion, ResetProgrammer},
    {0x1032, "Reset", 0, 0, AnyVersion, Reset},
};

}  // namespace

std::span<const Procedure> ProgrammerProcedures() { return Table; }
