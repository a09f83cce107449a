// The update demo system brought to the tool's software as a whole, in virtual time:
// the KD5 on the port programmed directly, the units behind it through update files
// applied at the system's restart; also over a noisy line, and after a power cut.
#include <gtest/gtest.h>

#include <iostream>

#include "protocol/unit_procedures.h"
#include "testing/pseudorandom.h"
#include "transfer/flash_programming.h"
#include "transfer/programmer_download.h"
#include "transfer/image_catalogue.h"
#include "transfer/resource_files.h"
#include "update/simulated_system_fixture.h"
#include "update/system_update.h"

namespace {

class WholeSystemUpdate : public SimulatedSystem {
 protected:
  void StartDemo() {
    SystemDescription system;
    std::string error;
    ASSERT_TRUE(ReadSystemFile(UPDATE_DEMO_SYSTEM, system, error)) << error;
    Start(system);
  }
  // Every unit runs the tool's software and holds the tool's files byte for byte,
  // with no update file left behind.
  void ExpectEveryUnitUpToDate() {
    for (SimUnit& unit : simulator->Units()) {
      SCOPED_TRACE("unit " + std::to_string(unit.Address()));
      const UnitIdentity& identity = unit.Identity();
      UnitInfo info{};
      info.mcu = static_cast<int8_t>(identity.mcu);
      info.unittype = FindCard(identity.card)->family;
      uint32_t checksum = 0;
      uint16_t crc = 0;
      ASSERT_TRUE(ExpectedSoftwareChecks(info, checksum, crc));
      EXPECT_EQ(identity.softwareVersion, CatalogueSoftwareVersion);
      EXPECT_EQ(identity.softwareBuild, CatalogueSoftwareBuild);
      EXPECT_EQ(identity.checksum, checksum);
      EXPECT_EQ(identity.softwareCrc, crc);
      EXPECT_EQ(identity.bootFlags, 0);
      ResourceFileList files = ResourceFileSet(identity.card, info.mcu);
      for (int i = 0; i < files.count; ++i) {
        const ResourceFile& file = files.files[i];
        EXPECT_EQ(FileOf(unit.Address(), file.drive, file.fileNumber),
                  std::vector<uint8_t>(file.bytes.data, file.bytes.data + file.bytes.length))
            << "drive " << int{file.drive} << " file " << file.fileNumber;
      }
      for (uint16_t update : {258, 259, 260}) EXPECT_EQ(simulator->File(unit.Address(), 1, update), nullptr) << update;
      EXPECT_EQ(simulator->File(unit.Address(), 193, 0), nullptr);
    }
  }
  // Update All as the operator runs it, the units given time to restart.
  void UpdateAll() {
    UnitInfo local = Connected();
    FieldUpdateUnit(local);
    clock.Sleep(10'000'000);
  }
};

TEST_F(WholeSystemUpdate, EveryUnitEndsOnTheToolsSoftwareAndFiles) {
  StartDemo();
  UpdateAll();
  EXPECT_TRUE(Said("This KD5 display unit needs to be updated immediately. It will be restarted\r\n"));
  EXPECT_TRUE(Said("Success: all operations are complete\r\n")) << console.Text();
  ExpectEveryUnitUpToDate();
}

TEST_F(WholeSystemUpdate, ANoisyLineOnlyCostsRetries) {
  StartDemo();
  Pseudorandom random;
  int stray = 0, dropped = 0, corrupted = 0;
  for (int reply = 0; reply < 40'000; ++reply) {
    if (random.OneIn(500)) simulator->OrderFault({.kind = FaultKind::StrayBytes, .after = reply});
    if (random.OneIn(200)) simulator->OrderFault({.kind = FaultKind::DropReply, .after = reply});
    if (random.OneIn(400)) simulator->OrderFault({.kind = FaultKind::CorruptReply, .after = reply});
  }
  UpdateAll();
  for (const TrafficEntry& entry : simulator->Traffic().Entries()) {
    std::string line = TrafficLog::Line(entry);
    stray += line.find("fault: 1 stray byte") != std::string::npos;
    dropped += line.find("fault: reply dropped") != std::string::npos;
    corrupted += line.find("corrupted") != std::string::npos;
  }
  size_t replies = simulator->Traffic().Of(TrafficKind::Sent).size();
  std::cout << replies << " replies, faults injected: " << stray << " stray, " << dropped << " dropped, " << corrupted << " corrupted\n";
  EXPECT_GT(stray + dropped + corrupted, 20);
  EXPECT_TRUE(Said("Success: all operations are complete\r\n"));
  ExpectEveryUnitUpToDate();
}

TEST_F(WholeSystemUpdate, APowerCutDuringADirectWriteIsRepairedByTheNextUpdate) {
  StartDemo();
  UnitInfo unit = Connected();
  ASSERT_TRUE(InitialiseForUpdate(unit));
  ASSERT_TRUE(SelectFlashProgrammer(unit));
  ASSERT_TRUE(DownloadProgrammer(unit, unit.ProgrammerImage, ""));
  ASSERT_TRUE(SelectSoftwareImage(unit));
  clock.Schedule(clock.Now() + 10'000'000, [&] { simulator->PowerCycle(5); });
  EXPECT_FALSE(WriteSoftware(unit, unit.SoftwareImage)) << "the power went half way";
  clock.Sleep(3'000'000);
  EXPECT_EQ(simulator->Unit(5)->program, Program::BootLoader);
  EXPECT_EQ(simulator->Unit(5)->Identity().bootFlags, 0x04) << "its flash check failed";

  console.Clear();
  UnitInfo found = Connected();
  EXPECT_EQ(found.unitmode, ModeBootLoader);
  EXPECT_EQ(found.bootflags, 0x04);
  FieldUpdateUnit(found);
  clock.Sleep(10'000'000);
  EXPECT_TRUE(Said("Success: all operations are complete\r\n"));
  ExpectEveryUnitUpToDate();
}

}  // namespace
