// One unit brought to the tool's software against the simulator in virtual time:
// what is decided and why, what is written, and where it goes.
#include "update/software_update.h"

#include <gtest/gtest.h>

#include "protocol/unit_procedures.h"
#include "transfer/resource_files.h"
#include "update/simulated_system_fixture.h"

namespace {

using SoftwareUpdate = SimulatedSystem;

// A KT5 (LPC1768) whose boot loader takes the LARGE programmer, `identity` added.
std::string Kt5(const std::string& identity) {
  return "[unit 7]\nCard = 648\nMcu = LPC1768\nBootLoaderVersion = 4\nBufferSize = 8192\nUnitFlags = 0x01\n" +
         identity;
}
const std::string CurrentKt5 =
    Kt5("Software = 6.10r57\nBootLoaderRelease = 18\nChecksum = 0xAA30E654\nSoftwareCrc = 0x5F8A\n");

TEST_F(SoftwareUpdate, CurrentSoftwareIsNotWrittenButTheLanguageFilesAre) {
  Start(CurrentKt5);
  UnitInfo unit = Connected();
  ASSERT_TRUE(UpdateSoftware(unit, false, false));

  EXPECT_TRUE(Said("Current software is the same as the new software\r\n")) << console.Text();
  EXPECT_TRUE(Said("-- velantor software is already the correct version\r\n"));
  EXPECT_FALSE(HeardStart("01 45 10 35")) << "no erase";
  EXPECT_FALSE(HeardStart("01 45 10 42")) << "no flash write";
  ResourceFileList languages = ResourceFileSet(648, unit.mcu);
  ASSERT_EQ(languages.count, 7);
  for (int i = 0; i < languages.count; ++i) {
    const ImageSlot& bytes = languages.files[i].bytes;
    EXPECT_EQ(FileOf(7, 1, languages.files[i].fileNumber), std::vector<uint8_t>(bytes.data, bytes.data + bytes.length))
        << languages.files[i].fileNumber;
  }
  EXPECT_TRUE(Said("-- language file: $01E0(")) << console.Text();
}

struct GuardCase {
  const char* software;
  int buildIncrement;
  bool updated;
};

TEST_F(SoftwareUpdate, OnlyALaterBuildOfSoftwareSixIsKeptFromADowngrade) {
  for (GuardCase c : {GuardCase{"6.20r02", 2, false}, GuardCase{"6.20r02", 1, true}, GuardCase{"5.90r11", 3, true}}) {
    SCOPED_TRACE(std::string(c.software) + " increment " + std::to_string(c.buildIncrement));
    console.Clear();
    Start(Kt5(std::string("Software = ") + c.software + "\nBootLoaderRelease = 18\nBuildIncrement = " +
              std::to_string(c.buildIncrement) + "\n"));
    UnitInfo unit = Connected();
    EXPECT_EQ(UpdateSoftware(unit, false, false), c.updated);
    EXPECT_EQ(Said("The software cannot be downgraded to 6.10r57\r\n"), !c.updated);
    EXPECT_EQ(Said("-- updating velantor software because it is different than the current version\r\n"), c.updated);
    EXPECT_EQ(HeardStart("01 45 10 42"), c.updated) << "the software written";
    EXPECT_EQ(HeardStart("01 45 10 24"), c.updated) << "the programmer downloaded";
  }
}

TEST_F(SoftwareUpdate, WrittenSoftwareRunsAfterTheRestart) {
  Start(Kt5("Software = 6.08r12\nBootLoaderRelease = 18\nChecksum = 0x11112222\n"));
  UnitInfo unit = Connected();
  ASSERT_TRUE(UpdateSoftware(unit, false, false));
  EXPECT_EQ(unit.unitmode, ModeProgrammer);
  ASSERT_TRUE(ResetUnit(unit));
  clock.Sleep(3'000'000);
  UnitInfo restarted = Connected();
  EXPECT_EQ(restarted.softwareversion, 610);
  EXPECT_EQ(restarted.softwarebuild, 57);
  EXPECT_EQ(restarted.checksum, 0xAA30E654u);
  EXPECT_EQ(restarted.softwarecrc, 0x5F8A);
}

using SoftwareUpdateDeathTest = SoftwareUpdate;

TEST_F(SoftwareUpdateDeathTest, APreProductionBoardIsResetAndRefused) {
  Start(Kt5("Software = 6.08r12\nBootLoaderRelease = 18\nBootFlags = 0x80\n"));
  UnitInfo unit = Connected();
  EXPECT_EXIT(
      {
        ReportToStandardError();
        UpdateSoftware(unit, false, false);
      },
      testing::ExitedWithCode(1),
              "Cannot update this unit \\(pre-production board\\)");
}

// The tool's software version on a unit type it has no software for: nothing to
// compare the unit's checksum with.
TEST_F(SoftwareUpdateDeathTest, AUnitTheToolHasNoSoftwareForIsNamedByItsNumber) {
  Start("[unit 9]\nCard = 649\nMcu = LPC4078\nBootLoaderVersion = 4\nBufferSize = 8192\nUnitFlags = 0x01\n"
        "Software = 6.10r57\nBootLoaderRelease = 18\n");
  UnitInfo unit = Connected();
  EXPECT_EXIT(
      {
        ReportToStandardError();
        UpdateSoftware(unit, false, false);
      },
      testing::ExitedWithCode(1), "Unsupported unit L147");
}

// Update files go to drive 1 of a unit that keeps running; the flash programmer that
// applies them goes to drive 193 only when something was sent for it to apply.
TEST_F(SoftwareUpdate, UpdateFilesAndTheProgrammerThatAppliesThem) {
  Start(Kt5("Software = 6.08r12\nBootLoaderRelease = 18\n"));
  UnitInfo unit = Connected();
  ASSERT_TRUE(UpdateSoftware(unit, false, true));
  EXPECT_EQ(simulator->AttachedUnit().program, Program::Software);
  EXPECT_TRUE(Said("Sending software update to unit...\r\n"));
  EXPECT_TRUE(Said("Sending flash programmer to unit...\r\n"));
  ASSERT_NE(unit.SoftwareImage.data, nullptr);
  EXPECT_EQ(FileOf(7, 1, 259).size(), unit.SoftwareImage.length + 4) << "the image and its Fletcher-32 sum";
  EXPECT_EQ(FileOf(7, 193, 0).size(), unit.ProgrammerImage.length + 2) << "the programmer and its CRC";
  EXPECT_TRUE(FileOf(7, 1, 258).empty()) << "the boot loader stays";
}

TEST_F(SoftwareUpdate, NoProgrammerFileWhenOnlyTemplatesWereResent) {
  Start("[unit 5]\nCard = 653\nMcu = LPC4337\nBootLoaderVersion = 3\nBufferSize = 8192\nUnitFlags = 0x01\n"
        "Software = 6.10r57\nBootLoaderRelease = 18\nChecksum = 0x1CD6C5F0\nSoftwareCrc = 0x26D1\n");
  UnitInfo unit = Connected();
  ASSERT_TRUE(UpdateSoftware(unit, false, true));
  ASSERT_FALSE(FileOf(5, 193, 0).empty()) << "the first run sent the languages and the pack";
  simulator->PutFile(5, 193, 0, {});
  simulator->PutFile(5, 1, 260, {});
  simulator->PutFile(5, 177, 0, [&] {
    ResourceFileList set = ResourceFileSet(653, unit.mcu);
    for (int i = 0; i < set.count; ++i) {
      const ResourceFile& file = set.files[i];
      if (file.drive == ResourcePackDrive) return std::vector<uint8_t>(file.bytes.data, file.bytes.data + file.bytes.length);
    }
    return std::vector<uint8_t>{};
  }());
  simulator->PutFile(5, 1, 433, {1, 2, 3});
  simulator->Traffic().Clear();
  console.Clear();

  ASSERT_TRUE(UpdateSoftware(unit, false, true));
  EXPECT_TRUE(Said("-- file: $01B1(")) << console.Text();
  EXPECT_TRUE(FileOf(5, 193, 0).empty()) << "a template is read as it is: nothing to apply";
  EXPECT_TRUE(FileOf(5, 1, 260).empty());
  EXPECT_FALSE(Said("Sending flash programmer to unit..."));
  EXPECT_GT(FileOf(5, 1, 433).size(), 3u) << "the template was sent again";
}

TEST_F(SoftwareUpdate, AVirtualComPortTakesUpdateFilesWhateverTheCallerAsked) {
  Start(Kt5("Software = 6.08r12\nBootLoaderRelease = 18\nVirtualComPort = yes\n"));
  UnitInfo unit = Connected();
  ASSERT_TRUE(UpdateSoftware(unit, false, false));
  EXPECT_TRUE(Said("-- vcom port detected, using update files\r\n\r\n"));
  EXPECT_FALSE(HeardStart("01 45")) << "the boot loader was never asked";
  EXPECT_FALSE(FileOf(7, 1, 259).empty());
  EXPECT_EQ(simulator->AttachedUnit().program, Program::Software);
}

}  // namespace
