#include "sim/procedures.h"

const Procedure* FindProcedure(const SimUnit& unit, uint16_t code) {
  std::span<const Procedure> table;
  int version = 0;
  if (unit.program == Program::Software) {
    table = SoftwareProcedures();
    version = unit.Identity().softwareVersion;
  } else if (unit.program == Program::BootLoader) {
    table = BootLoaderProcedures();
    version = unit.Identity().bootRelease;
  }
  for (const Procedure& procedure : table) {
    if (procedure.code == code && version >= procedure.firstVersion && version <= procedure.lastVersion) {
      return &procedure;
    }
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
