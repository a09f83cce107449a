#include "update/update_plan.h"

#include <algorithm>

#include "protocol/identification.h"
#include "protocol/unit_procedures.h"
#include "transfer/image_catalogue.h"
#include "transfer/resource_files.h"

namespace {

constexpr int CardKj5 = 652;

// The local unit is listed under its address on the system network; a unit whose
// software predates it is known by its address on the port.
uint8_t ListedAddress(const UnitInfo& local) {
  return local.ModbusAddress != 0 ? local.ModbusAddress : local.SlaveAddress;
}

bool Add(SystemUpdateOutcome& outcome, const UnitInfo& unit, uint8_t address, bool local) {
  if (FindOutcome(outcome, address) != nullptr || outcome.count == MaxListedUnits) return false;
  UnitUpdateOutcome& entry = outcome.units[outcome.count++];
  entry = UnitUpdateOutcome{};
  entry.address = address;
  entry.local = local;
  entry.cardnumber = unit.cardnumber;
  entry.versionBefore = entry.versionAfter = unit.softwareversion;
  entry.buildBefore = entry.buildAfter = unit.softwarebuild;
  entry.currentBefore = RunsToolSoftware(unit);
  return true;
}

void PlanRemoteUnits(const UnitInfo& local, SystemUpdateOutcome& outcome) {
  RemoteUnitList remote{};
  if (local.unitmode != ModeSoftware || local.softwareversion < 600 || !ListRemoteUnits(remote)) return;
  for (int i = 0; i < remote.count; ++i) {
    if (FindOutcome(outcome, remote.addresses[i]) != nullptr) continue;
    UnitInfo unit{};
    unit.unitmode = ModeSoftware;
    unit.SlaveAddress = remote.addresses[i];
    if (!ReadUnitInfo(unit) || unit.cardnumber == CardKj5) continue;
    ReadAdvancedInfo(unit);
    // Only a unit that will take update files has files written to it.
    if (Add(outcome, unit, unit.SlaveAddress, false) && unit.softwareversion >= 600 && unit.buildincrement <= 1 &&
        AcceptsUpdateFiles(unit)) {
      RequireUpdateFiles(unit);
    }
  }
}

}  // namespace

void RequireUpdateFiles(const UnitInfo& unit) {
  // A unit known only by its boot loader names no type: the update finds out itself.
  if (unit.unittype == 0) return;
  RequireUpdateImages(unit);
  ResourceFileSet(unit.cardnumber, unit.mcu);
}

void PlanSystemUpdate(const UnitInfo& local, SystemUpdateOutcome& outcome) {
  if (local.cardnumber != CardKj5 && Add(outcome, local, ListedAddress(local), true)) RequireUpdateFiles(local);
  PlanRemoteUnits(local, outcome);
  // The report follows the system list: address order.
  std::sort(outcome.units, outcome.units + outcome.count,
            [](const UnitUpdateOutcome& a, const UnitUpdateOutcome& b) { return a.address < b.address; });
}
