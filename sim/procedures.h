// The remote procedures a unit's programs answer (function 0x45): one table entry
// per procedure, one table per program. An entry names the procedure, the bytes of
// arguments it takes after the 4-byte head (address, 0x45, code), the versions of
// the program that know it, and the procedure that answers. The reply is the head
// echoed, then the results; whatever the unit does besides (restart, change speed)
// happens once the reply is on its way. Later programs (the flash programmer) and
// procedures (transfers, setup) are further tables and entries.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <span>

#include "sim/frame.h"
#include "sim/unit.h"

class Simulator;

struct Call {
  Simulator& system;
  SimUnit& unit;  // the unit addressed
  std::span<const uint8_t> arguments;
  Bytes results;
  std::function<void()> afterReply;
};

struct Procedure {
  uint16_t code;
  const char* name;
  size_t argumentBytes;
  // The program's versions that know the procedure: the software's version × 100,
  // the boot loader's release.
  int firstVersion;
  int lastVersion;
  // False: the unit does not answer (a request it refuses).
  bool (*answer)(Call& call);
};

inline constexpr int AnyVersion = 0x7FFF;
// The procedure's arguments carry their own count (the block transfers): it checks
// them itself.
inline constexpr size_t CountedArguments = std::numeric_limits<size_t>::max();

std::span<const Procedure> SoftwareProcedures();
std::span<const Procedure> BootLoaderProcedures();
// The flash programmer's procedures, numbered as its boot loader's release numbers them.
std::span<const Procedure> ProgrammerProcedures();
// The file calls, which the software and a running flash programmer both answer.
std::span<const Procedure> FileProcedures();

// The entry that answers `code` in the program the unit runs; nullptr when it knows none.
const Procedure* FindProcedure(const SimUnit& unit, uint16_t code);

// Card, circuit, software version and a word that holds the build increment (high
// byte; the build in the low byte) from software 6.00 on, the product number before.
// The boot loader answers it too, from what it knows of the software it guards.
bool AnswerReadUnitInfo(Call& call);
// The transfer speed by table index, taken once the reply has gone. Boot loaders
// before release 15 know the extended table, with 128000 between 115200 and 230400;
// later ones and every flash programmer the standard table.
bool ChangeProgrammerSpeed(Call& call, bool extended);
// The transfer buffer of the boot loader or flash programmer.
bool AnswerBufferSize(Call& call);
// Reads or writes one of the unit's settings.
bool AnswerAccessSetting(Call& call);
// A note for the traffic log that the unit did not answer, and false.
bool Refuse(Call& call, const std::string& why);
