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
// argumentBytes of a procedure that checks the length of its arguments itself.
inline constexpr size_t VariableArguments = static_cast<size_t>(-1);

std::span<const Procedure> SoftwareProcedures();
std::span<const Procedure> BootLoaderProcedures();
// The file calls, which the software and a running flash programmer both answer.
std::span<const Procedure> FileProcedures();

// The entry that answers `code` in the program the unit runs; nullptr when it knows none.
const Procedure* FindProcedure(const SimUnit& unit, uint16_t code);

// Card, circuit, software version and a word that holds the build increment (high
// byte; the build in the low byte) from software 6.00 on, the product number before.
// The boot loader answers it too, from what it knows of the software it guards.
bool AnswerReadUnitInfo(Call& call);
