#include "update/update_outcome.h"

#include "generic/string_utility.h"
#include "runtime/log.h"
#include "transfer/image_catalogue.h"

namespace {

// Software before 6.00 reports no release number.
String Version(int16_t version, int8_t build) {
  return version < 600 && build == 0 ? VersionText(version) : VersionReleaseText(version, build);
}

}  // namespace

bool RunsToolSoftware(const UnitInfo& unit) {
  uint32_t checksum = 0;
  uint16_t crc = 0;
  return unit.unitmode == ModeSoftware && unit.softwareversion == CatalogueSoftwareVersion &&
         unit.softwarebuild == CatalogueSoftwareBuild && ExpectedSoftwareChecks(unit, checksum, crc) &&
         unit.checksum == checksum && unit.softwarecrc == crc;
}

UnitUpdateOutcome* FindOutcome(SystemUpdateOutcome& outcome, uint8_t address) {
  for (int i = 0; i < outcome.count; ++i) {
    if (outcome.units[i].address == address) return &outcome.units[i];
  }
  return nullptr;
}

bool EveryUnitUpdated(const SystemUpdateOutcome& outcome) {
  if (!outcome.verified) return false;
  for (int i = 0; i < outcome.count; ++i) {
    UnitUpdateResult result = outcome.units[i].result;
    if (result != UnitUpdateResult::Updated && result != UnitUpdateResult::AlreadyCurrent) return false;
  }
  return true;
}

String UpdateVerdict(const SystemUpdateOutcome& outcome) {
  if (EveryUnitUpdated(outcome)) return "Success: all operations are complete";
  if (!outcome.verified) return "Not verified: some units did not answer after the restart";
  return "Complete: some units could not be updated";
}

String UnitOutcomeLine(const UnitUpdateOutcome& unit) {
  String line = UnitTitle(unit.address, unit.cardnumber);
  line += ": ";
  String before = Version(unit.versionBefore, unit.buildBefore);
  String after = Version(unit.versionAfter, unit.buildAfter);
  switch (unit.result) {
    case UnitUpdateResult::Updated:
      line += "updated, ";
      line += before.View();
      line += " -> ";
      line += after.View();
      break;
    case UnitUpdateResult::AlreadyCurrent:
      line += "already current, ";
      line += after.View();
      break;
    case UnitUpdateResult::NotTaken:
      line += "not taken, still on ";
      line += after.View();
      line += ": the unit did not apply its update";
      break;
    case UnitUpdateResult::NotUpdated:
      line += "not updated, still on ";
      line += after.View();
      line += " (the reason is above)";
      break;
    case UnitUpdateResult::NotAnswering:
      line += "not answering after the restart";
      break;
  }
  return line;
}
