#include "sim/procedures.h"

namespace {

const Procedure* FindIn(std::span<const Procedure> table, uint16_t code, int version) {
  for (const Procedure& procedure : table) {
    if (procedure.code == code && version >= procedure.firstVersion && version <= procedure.lastVersion) {
      return &procedure;
    }
  }
  return nullptr;
}

}  // namespace

const Procedure* FindProcedure(const SimUnit& unit, uint16_t code) {
  switch (unit.program) {
    case Program::Software: {
      int version = unit.Identity().softwareVersion;
      const Procedure* procedure = FindIn(SoftwareProcedures(), code, version);
      return procedure != nullptr ? procedure : FindIn(FileProcedures(), code, version);
    }
    case Program::BootLoader: return FindIn(BootLoaderProcedures(), code, unit.Identity().bootRelease);
    case Program::Programmer: return FindIn(FileProcedures(), code, 0);
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
