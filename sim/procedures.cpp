#include "sim/procedures.h"

#include "sim/simulator.h"

namespace {

constexpr uint32_t StandardSpeeds[] = {0, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
constexpr uint32_t ExtendedSpeeds[] = {0, 9600, 19200, 38400, 57600, 115200, 128000, 230400, 460800, 921600};

const Procedure* FindIn(std::span<const Procedure> table, uint16_t code, int version) {
  for (const Procedure& procedure : table) {
    if (procedure.code == code && version >= procedure.firstVersion && version <= procedure.lastVersion) {
      return &procedure;
    }
  }
  return nullptr;
}

}  // namespace

// The file calls are answered by the software and by a running flash programmer alike.
const Procedure* FindProcedure(const SimUnit& unit, uint16_t code) {
  switch (unit.program) {
    case Program::Software: {
      int version = unit.Identity().softwareVersion;
      const Procedure* procedure = FindIn(SoftwareProcedures(), code, version);
      return procedure != nullptr ? procedure : FindIn(FileProcedures(), code, version);
    }
    case Program::BootLoader: return FindIn(BootLoaderProcedures(), code, unit.Identity().bootRelease);
    case Program::Programmer: {
      const Procedure* procedure = FindIn(ProgrammerProcedures(), code, unit.Identity().bootRelease);
      return procedure != nullptr ? procedure : FindIn(FileProcedures(), code, 0);
    }
    case Program::Off:
    case Program::BootRom: break;
  }
  return nullptr;
}

bool AnswerReadUnitInfo(Call& call) {
  const UnitIdentity& identity = call.unit.Identity();
  AppendWord(call.results, identity.card);
  AppendWord(call.results, identity.circuit);
  AppendWord(call.results, static_cast<uint16_t>(identity.softwareVersion));
  if (identity.softwareVersion >= 600) {
    AppendWord(call.results, static_cast<uint16_t>(identity.buildIncrement << 8 | identity.softwareBuild));
  } else {
    AppendWord(call.results, identity.product);
  }
  return true;
}

bool ChangeProgrammerSpeed(Call& call, bool extended) {
  std::span<const uint32_t> speeds =
      extended ? std::span<const uint32_t>(ExtendedSpeeds) : std::span<const uint32_t>(StandardSpeeds);
  uint8_t index = call.arguments[0];
  if (index == 0 || index >= speeds.size()) {
    return Refuse(call, std::string(ProgramName(call.unit.program)) + " refuses speed index " + std::to_string(index));
  }
  uint32_t speed = speeds[index];
  call.afterReply = [&system = call.system, &unit = call.unit, speed] { system.ChangeSpeed(unit, speed, false); };
  return true;
}

bool AnswerBufferSize(Call& call) {
  AppendWord(call.results, call.unit.description.bufferSize);
  return true;
}

bool Refuse(Call& call, const std::string& why) {
  call.system.Note("unit " + std::to_string(call.unit.Address()) + ": " + why);
  return false;
}
