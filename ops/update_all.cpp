#include "ops/update_all.h"

#include "generic/string_utility.h"
#include "protocol/identification.h"
#include "protocol/unit_procedures.h"
#include "runtime/log.h"
#include "transfer/image_catalogue.h"
#include "update/system_update.h"

namespace {

bool IsNewer(const UnitInfo& unit) {
  return unit.softwareversion > CatalogueSoftwareVersion ||
         (unit.softwareversion == CatalogueSoftwareVersion && unit.softwarebuild > CatalogueSoftwareBuild);
}

// Whether any unit of the system runs a later build than the tool carries.
bool SystemHasNewerSoftware(const UnitInfo& local) {
  UnitInfo unit = local;
  bool newer = ReadAdvancedInfo(unit) && IsNewer(unit);
  RemoteUnitList remote{};
  if (local.unitmode != ModeSoftware || local.softwareversion < 600 || !ListRemoteUnits(remote)) return newer;
  for (int i = 0; i < remote.count; ++i) {
    unit = UnitInfo{};
    unit.unitmode = ModeSoftware;
    unit.SlaveAddress = remote.addresses[i];
    if (ReadUnitInfo(unit) && ReadAdvancedInfo(unit) && IsNewer(unit)) newer = true;
  }
  return newer;
}

}  // namespace

UpdateAllResult UpdateAll(UnitInfo& local, const OperationHooks& hooks) {
  UpdateAllResult result{};
  String question = Concatenate("This will update the Velantor units to software v",
                                VersionReleaseText(CatalogueSoftwareVersion, CatalogueSoftwareBuild));
  question += "\r\n\r\nDo you wish to update the software?";
  if (!Confirmed(hooks, question)) return result;
  result.contacted = true;
  WorkingScope working(hooks);
  if (SystemHasNewerSoftware(local) &&
      !Confirmed(hooks, "WARNING: There is a newer version of the software in the units.\r\n\r\nDo you wish to "
                        "replace the software?")) {
    return result;
  }
  result.outcome = FieldUpdateUnit(local);
  result.ran = true;
  return result;
}

bool UpdateAllSucceeded(const UpdateAllResult& result) { return result.ran && EveryUnitUpdated(result.outcome); }
