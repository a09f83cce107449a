// The flash path against the simulator in virtual time: a programmer downloaded into
// the unit's RAM, software written into its flash, and the unit restarted into it.
#include <gtest/gtest.h>

#include <algorithm>

#include "protocol/identification.h"
#include "protocol/unit_procedures.h"
#include "transfer/flash_programming.h"
#include "transfer/image_catalogue.h"
#include "transfer/programmer_download.h"
#include "transfer/simulated_unit_fixture.h"

namespace {

using FlashUpdate = SimulatedUnit;

long CountOf(const std::vector<std::string>& lines, const std::string& start) {
  return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(start); });
}

TEST_F(FlashUpdate, TheNewSoftwareRunsOnceTheUnitRestarts) {
  Start(Kd6System);
  UnitInfo unit = ReadyForUpdate();
  DebugOn = false;  // the console shows what the operator sees
  ASSERT_TRUE(SelectFlashProgrammer(unit));
  ASSERT_TRUE(DownloadProgrammer(unit, unit.ProgrammerImage, ""));
  EXPECT_EQ(unit.unitmode, ModeProgrammer);
  EXPECT_EQ(simulator->AttachedUnit().program, Program::Programmer);
  ASSERT_TRUE(SelectSoftwareImage(unit));
  ASSERT_TRUE(WriteSoftware(unit, unit.SoftwareImage));
  ASSERT_TRUE(ResetProgrammer(unit));
  ASSERT_TRUE(ResetUnit(unit));
  clock.Sleep(3'000'000);
  UnitInfo restarted{};
  ASSERT_TRUE(FindUnitOnPort(restarted));
  ASSERT_TRUE(Connect(restarted));
  ASSERT_TRUE(ReadAdvancedInfo(restarted));

  EXPECT_EQ(restarted.unitmode, ModeSoftware);
  EXPECT_EQ(restarted.softwareversion, CatalogueSoftwareVersion);
  EXPECT_EQ(restarted.softwarebuild, CatalogueSoftwareBuild);
  uint32_t checksum = 0;
  uint16_t crc = 0;
  ASSERT_TRUE(ExpectedSoftwareChecks(restarted, checksum, crc));
  EXPECT_EQ(restarted.checksum, checksum);
  EXPECT_EQ(restarted.softwarecrc, crc);

  std::string dots(60, '.');
  EXPECT_TRUE(Said("Downloading programmer...\r\n" + dots + "\r\n")) << console.Text();
  EXPECT_TRUE(Said("Updating Velantor software (do not turn off the power!)...\r\n" + dots + "\r\n"));
  std::vector<std::string> heard = Heard();
  EXPECT_EQ(CountOf(heard, "01 45 10 24 block $100"), 5) << "the LARGE programmer's five records";
  EXPECT_EQ(CountOf(heard, "01 45 10 42 block $1A0"), 121);
  auto erase = std::find_if(heard.begin(), heard.end(), [](const std::string& line) {
    return line.starts_with("01 45 10 35 1A 00 40 00 1A 0F 51 FF");
  });
  auto firstWrite = std::find(heard.begin(), heard.end(), "01 45 10 42 block $1A004000 (8192 bytes)");
  EXPECT_LT(erase, firstWrite);
}

TEST_F(FlashUpdate, AFailedWriteLeavesTheUnitInItsBootLoaderWithItsFlashCheckFailed) {
  Start(Kt5System);
  UnitInfo unit = ReadyForUpdate();
  ASSERT_TRUE(SelectFlashProgrammer(unit));
  EXPECT_TRUE(Said("-- selected flash programmer for KT5 LPC1768 LARGE C4\r\n-- using large packet flash programmer\r\n"));
  ASSERT_TRUE(DownloadProgrammer(unit, unit.ProgrammerImage, ""));
  ASSERT_TRUE(SelectSoftwareImage(unit));
  simulator->OrderFault({.kind = FaultKind::FlashFail, .address = 0x6000, .result = 0x01});
  EXPECT_FALSE(WriteSoftware(unit, unit.SoftwareImage));
  EXPECT_TRUE(Said("\r\nUnit reported hardware failure, cannot write to MCU flash memory. Address=$00006000, "
                   "Result=01\r\n"));
  std::vector<std::string> heard = Heard();
  auto erase = std::find_if(heard.begin(), heard.end(),
                            [](const std::string& line) { return line.starts_with("01 45 10 35 "); });
  ASSERT_NE(erase, heard.end());
  EXPECT_TRUE(erase->starts_with("01 45 10 35 00 00 40 00 00 07 56 FF")) << *erase;
  EXPECT_EQ(heard.back(), "01 45 10 42 block $00006000 (8192 bytes)") << "nothing after the failed block";

  ASSERT_TRUE(ResetUnit(unit));
  clock.Sleep(3'000'000);
  UnitInfo found{};
  ASSERT_TRUE(FindUnitOnPort(found));
  EXPECT_EQ(found.unitmode, ModeBootLoader);
  ASSERT_TRUE(ReadBootLoaderRelease(found));
  EXPECT_EQ(found.bootflags, 0x04);
}

TEST_F(FlashUpdate, ABootLoaderImageIsWrittenWithoutAnErase) {
  Start(Kd6System);
  UnitInfo unit = ReadyForUpdate();
  ASSERT_TRUE(SelectFlashProgrammer(unit));
  ASSERT_TRUE(DownloadProgrammer(unit, unit.ProgrammerImage, ""));
  ASSERT_TRUE(SelectBootLoader(unit));
  ASSERT_TRUE(WriteSoftware(unit, unit.BootLoaderImage));
  std::vector<std::string> heard = Heard();
  EXPECT_EQ(CountOf(heard, "01 45 10 35"), 0);
  EXPECT_EQ(std::vector<std::string>(heard.end() - 3, heard.end()),
            (std::vector<std::string>{"01 45 10 42 block $1A000000 (1024 bytes)",
                                      "01 45 10 42 block $1A000400 (8192 bytes)",
                                      "01 45 10 42 block $1A002400 (5126 bytes)"}));
  // The programmer runs on, for the software to follow.
  EXPECT_EQ(simulator->AttachedUnit().program, Program::Programmer);
}

}  // namespace
