#include "update/update_needs.h"

#include "transfer/image_catalogue.h"

namespace {

constexpr uint8_t NoSoftwarePresent = 0x01;
constexpr uint8_t FlashCheckFailed = 0x04;
constexpr uint8_t JtagActive = 0x40;
constexpr uint8_t PreProductionBoard = 0x80;
constexpr uint8_t CardTesterSoftware = 0x80;
constexpr int8_t McuType1 = 1;

bool IsTestSoftware(const UnitInfo& unit) {
  return (unit.bootflags & JtagActive) || (unit.unitflags & CardTesterSoftware) || (unit.unitflags & JtagActive);
}

bool SameVersion(const UnitInfo& unit) {
  return unit.softwareversion == CatalogueSoftwareVersion && unit.softwarebuild == CatalogueSoftwareBuild;
}

UpdateBar Bar(const UnitInfo& unit, bool useUpdateFiles, const SoftwareChecks* expected) {
  // Card tester software runs only from the boot loader's side: update files would
  // leave it in place.
  if ((unit.bootflags & PreProductionBoard) || ((unit.unitflags & CardTesterSoftware) && useUpdateFiles)) {
    return UpdateBar::PreProductionBoard;
  }
  if (unit.mcu == McuType1) return UpdateBar::Type1Cpu;
  if (unit.softwareversion >= 600 && unit.buildincrement > 1) return UpdateBar::LaterBuild;
  if (SameVersion(unit) && expected == nullptr) return UpdateBar::NoSoftwareForIt;
  return UpdateBar::None;
}

SoftwareNeed Software(const UnitInfo& unit, const SoftwareChecks* expected) {
  if (!SameVersion(unit)) return SoftwareNeed::OtherVersion;
  if (expected == nullptr || unit.checksum != expected->checksum || unit.softwarecrc != expected->crc) {
    return SoftwareNeed::OtherChecksum;
  }
  if (unit.bootflags & NoSoftwarePresent) return SoftwareNeed::NoSoftware;
  if (unit.bootflags & FlashCheckFailed) return SoftwareNeed::FlashCheckFailed;
  if (unit.bootrelease < 4) return SoftwareNeed::OldBootLoader;
  return SoftwareNeed::Keep;
}

}  // namespace

UpdateNeeds DecideUpdateNeeds(const UnitInfo& unit, bool updateBootLoader, bool useUpdateFiles,
                              const SoftwareChecks* expected) {
  UpdateNeeds needs{};
  needs.bar = Bar(unit, useUpdateFiles, expected);
  if (IsTestSoftware(unit)) {
    needs.bootLoader = BootLoaderNeed::TestSoftwarePresent;
  } else if (updateBootLoader) {
    needs.bootLoader = BootLoaderNeed::Asked;
  }
  needs.software = Software(unit, expected);
  needs.checksumsCompared = SameVersion(unit) && expected != nullptr;
  if (expected != nullptr) needs.expected = *expected;
  return needs;
}

const char* SoftwareNeedLine(SoftwareNeed need) {
  switch (need) {
    case SoftwareNeed::Keep: return nullptr;
    case SoftwareNeed::OtherVersion: return "-- updating velantor software because it is different than the current version";
    case SoftwareNeed::OtherChecksum: return "-- updating velantor software because the checksum is different";
    case SoftwareNeed::NoSoftware: return "-- updating velantor software because there is no software in the unit";
    case SoftwareNeed::FlashCheckFailed: return "-- updating velantor software because the MCU FLASH check failed";
    case SoftwareNeed::OldBootLoader:
      return "-- updating velantor software because the checksum is not available (old boot loader)";
  }
  return nullptr;
}
