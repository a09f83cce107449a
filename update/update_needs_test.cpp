// What a unit needs from an update, decided from its record alone: the table walks
// each bar, each boot loader reason and each software reason, and the order in which
// they win over one another.
#include "update/update_needs.h"

#include <gtest/gtest.h>

#include "transfer/image_catalogue.h"

namespace {

constexpr SoftwareChecks Expected{0xAA30E654, 0x5F8A};

// A KT5 in its boot loader, release 18, running the tool's software with its checksums.
UnitInfo CurrentUnit() {
  UnitInfo unit{};
  unit.mcu = 5;  // LPC1768
  unit.unittype = UnitTransmitter;
  unit.softwareversion = CatalogueSoftwareVersion;
  unit.softwarebuild = CatalogueSoftwareBuild;
  unit.bootrelease = 18;
  unit.checksum = Expected.checksum;
  unit.softwarecrc = Expected.crc;
  return unit;
}

struct NeedsCase {
  const char* name;
  void (*change)(UnitInfo&);
  bool updateBootLoader;
  bool useUpdateFiles;
  bool softwareKnown;
  UpdateBar bar;
  BootLoaderNeed bootLoader;
  SoftwareNeed software;
  bool checksumsCompared;
};

const NeedsCase Cases[] = {
    {"current", [](UnitInfo&) {}, false, false, true, UpdateBar::None, BootLoaderNeed::Keep, SoftwareNeed::Keep, true},
    {"boot loader asked", [](UnitInfo&) {}, true, false, true, UpdateBar::None, BootLoaderNeed::Asked,
     SoftwareNeed::Keep, true},
    {"older release", [](UnitInfo& u) { u.softwarebuild = 12; }, false, false, true, UpdateBar::None,
     BootLoaderNeed::Keep, SoftwareNeed::OtherVersion, false},
    {"other version", [](UnitInfo& u) { u.softwareversion = 608; }, false, false, false, UpdateBar::None,
     BootLoaderNeed::Keep, SoftwareNeed::OtherVersion, false},
    {"other CRC", [](UnitInfo& u) { u.softwarecrc = 0x1234; }, false, false, true, UpdateBar::None,
     BootLoaderNeed::Keep, SoftwareNeed::OtherChecksum, true},
    {"no software", [](UnitInfo& u) { u.bootflags = 0x01; }, false, false, true, UpdateBar::None,
     BootLoaderNeed::Keep, SoftwareNeed::NoSoftware, true},
    {"flash check failed", [](UnitInfo& u) { u.bootflags = 0x04; }, false, false, true, UpdateBar::None,
     BootLoaderNeed::Keep, SoftwareNeed::FlashCheckFailed, true},
    {"old boot loader", [](UnitInfo& u) { u.bootrelease = 3; }, false, false, true, UpdateBar::None,
     BootLoaderNeed::Keep, SoftwareNeed::OldBootLoader, true},
    {"checksum before the flags", [](UnitInfo& u) { u.checksum = 1, u.bootflags = 0x05, u.bootrelease = 3; }, false,
     false, true, UpdateBar::None, BootLoaderNeed::Keep, SoftwareNeed::OtherChecksum, true},
    {"JTAG in the boot loader", [](UnitInfo& u) { u.bootflags = 0x40; }, true, false, true, UpdateBar::None,
     BootLoaderNeed::TestSoftwarePresent, SoftwareNeed::Keep, true},
    {"JTAG in the software", [](UnitInfo& u) { u.unitflags = 0x40; }, false, false, true, UpdateBar::None,
     BootLoaderNeed::TestSoftwarePresent, SoftwareNeed::Keep, true},
    {"card tester direct", [](UnitInfo& u) { u.unitflags = 0x80; }, false, false, true, UpdateBar::None,
     BootLoaderNeed::TestSoftwarePresent, SoftwareNeed::Keep, true},
    {"card tester by files", [](UnitInfo& u) { u.unitflags = 0x80; }, false, true, true,
     UpdateBar::PreProductionBoard, BootLoaderNeed::TestSoftwarePresent, SoftwareNeed::Keep, true},
    {"pre-production before type 1", [](UnitInfo& u) { u.bootflags = 0x80, u.mcu = 1; }, false, false, true,
     UpdateBar::PreProductionBoard, BootLoaderNeed::Keep, SoftwareNeed::Keep, true},
    {"type 1 before a later build", [](UnitInfo& u) { u.mcu = 1, u.buildincrement = 2; }, false, false, true,
     UpdateBar::Type1Cpu, BootLoaderNeed::Keep, SoftwareNeed::Keep, true},
    {"later build", [](UnitInfo& u) { u.softwareversion = 620, u.buildincrement = 2; }, false, false, true,
     UpdateBar::LaterBuild, BootLoaderNeed::Keep, SoftwareNeed::OtherVersion, false},
    {"next build of the same", [](UnitInfo& u) { u.softwareversion = 620, u.buildincrement = 1; }, false, false,
     true, UpdateBar::None, BootLoaderNeed::Keep, SoftwareNeed::OtherVersion, false},
    {"a later build of software 5", [](UnitInfo& u) { u.softwareversion = 590, u.buildincrement = 3; }, false,
     false, true, UpdateBar::None, BootLoaderNeed::Keep, SoftwareNeed::OtherVersion, false},
    {"nothing to compare with", [](UnitInfo&) {}, false, false, false, UpdateBar::NoSoftwareForIt,
     BootLoaderNeed::Keep, SoftwareNeed::OtherChecksum, false},
};

TEST(UpdateNeeds, EachReasonAndTheOrderInWhichTheyWin) {
  for (const NeedsCase& c : Cases) {
    SCOPED_TRACE(c.name);
    UnitInfo unit = CurrentUnit();
    c.change(unit);
    UpdateNeeds needs = DecideUpdateNeeds(unit, c.updateBootLoader, c.useUpdateFiles, c.softwareKnown ? &Expected : nullptr);
    EXPECT_EQ(needs.bar, c.bar);
    EXPECT_EQ(needs.bootLoader, c.bootLoader);
    EXPECT_EQ(needs.software, c.software);
    EXPECT_EQ(needs.checksumsCompared, c.checksumsCompared);
  }
}

}  // namespace
