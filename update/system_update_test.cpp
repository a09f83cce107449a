// Whole systems updated against the simulator in virtual time: which units are listed
// and in what order, what each gets, and how the run ends.
#include "testing/environment.h"
#include "update/system_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "testing/temporary_folder.h"
#include "update/simulated_system_fixture.h"

namespace {

using SystemUpdate = SimulatedSystem;

// A KR5 (LPC1768) that takes update files, at `software`; `more` added.
std::string Kr5(int address, const std::string& software, const std::string& more = "") {
  std::string checks = software == "6.10r57" ? "Checksum = 0x46199722\nSoftwareCrc = 0x687D\n" : "";
  return "[unit " + std::to_string(address) + "]\nCard = 649\nMcu = LPC1768\nBootLoaderVersion = 4\n" +
         "BootLoaderRelease = 18\nBufferSize = 8192\nUnitFlags = 0x01\nSoftware = " + software + "\n" + checks +
         "Information = unit " + std::to_string(address) + "\n" + more;
}

TEST_F(SystemUpdate, TheUnitsAreListedAndUpdatedInAddressOrder) {
  struct Case {
    int local;
    std::vector<int> remote;
    std::string listing;
    std::vector<int> order;
  };
  for (const Case& c : {Case{5, {2, 9, 12}, "      2  unit 2\r\n      5  unit 5\r\n      9  unit 9\r\n     12  unit 12\r\n",
                             {2, 5, 9, 12}},
                        Case{20, {2, 9}, "      2  unit 2\r\n      9  unit 9\r\n     20  unit 20\r\n", {2, 9, 20}}}) {
    SCOPED_TRACE(c.local);
    console.Clear();
    std::string system = Kr5(c.local, "6.10r57", "Attached = yes\n");
    for (int address : c.remote) system += Kr5(address, "6.10r57");
    Start(system);
    UnitInfo local = Connected();
    DebugOn = false;  // the lines the operator sees, in their order
    EXPECT_TRUE(EveryUnitUpdated(FieldUpdateUnit(local)));
    EXPECT_TRUE(Said("Velantor Unit(s) found:\r\nAddress  Information\r\n" + c.listing + "\r\n")) << console.Text();
    size_t last = 0;
    for (int address : c.order) {
      size_t at = Where("Velantor Unit: " + std::to_string(address) + " updated\r\n");
      ASSERT_NE(at, std::string::npos) << address;
      EXPECT_GT(at, last) << address;
      last = at;
    }
    EXPECT_TRUE(Said("Success: all operations are complete\r\n"));
  }
}

TEST_F(SystemUpdate, TheRemoteUnitsGetUpdateFilesAndTheSystemRestarts) {
  Start(Kr5(5, "6.10r57", "Attached = yes\n") + Kr5(2, "6.08r12") +
        "[unit 7]\nCard = 652\nSoftware = 6.10r57\nInformation = jig\n" + Kr5(9, "5.80r03"));
  UnitInfo local = Connected();
  EXPECT_FALSE(EveryUnitUpdated(FieldUpdateUnit(local)));

  EXPECT_TRUE(Said("1. The software update will be downloaded to the above units.\r\n"
                   "2. After the download is complete the software update will be applied \r\n"
                   "   the next time the units are restarted.\r\n"
                   "3. You can either restart the units immediately after the download is \r\n"
                   "   complete, or wait until a convenient time and restart them yourself.\r\n\r\n"
                   "Downloading software updates...\r\n"));
  EXPECT_TRUE(Said("-- KJ5 at address 7 ignored\r\n"));
  EXPECT_EQ(Where("jig"), std::string::npos) << "a test jig is never listed";
  EXPECT_TRUE(Said("Velantor Unit: 2 updated\r\n"));
  EXPECT_EQ(simulator->Unit(2)->Identity().softwareVersion, 610) << "the restart applied its update files";
  EXPECT_TRUE(Said("Velantor Unit 9 must be running version 6.00 or later of the Velantor software for remote "
                   "update.\r\n\r\nIMPORTANT: Please connect the serial port to the COM1 RS232 port on the unit and "
                   "run Quarnet again to update unit 9\r\n\r\nUnable to update Velantor Unit: 9\r\n"))
      << console.Text();
  // What each unit runs after the restart, in list order, then the verdict.
  size_t last = Where("Checking the software of every unit...\r\n");
  for (const char* line : {"Velantor Unit 2 (KR5): updated, 6.08r12 -> 6.10r57\r\n",
                           "Velantor Unit 5 (KR5): already current, 6.10r57\r\n",
                           "Velantor Unit 9 (KR5): not updated, still on 5.80 (the reason is above)\r\n",
                           "Complete: some units could not be updated\r\n"}) {
    size_t at = Where(line);
    EXPECT_TRUE(at != std::string::npos && at > last) << line << console.Text();
    last = at;
  }
  EXPECT_TRUE(HeardStart("05 45 ")) << "addressed to the local unit";
}

TEST_F(SystemUpdate, ALocalUnitBeforeSoftwareSixIsProgrammedDirectlyAndRestarted) {
  Start(Kr5(5, "5.90r11", "Attached = yes\nChecksum = 0x12345678\nRestartTime = 500\n") + Kr5(2, "6.08r12"));
  UnitInfo local = Connected();
  FieldUpdateUnit(local);
  EXPECT_FALSE(Said("Velantor Unit(s) found:"));
  EXPECT_TRUE(Said("restarting unit...\r\n"));
  EXPECT_TRUE(Said("Success: all operations are complete\r\n"));
  EXPECT_EQ(local.unitmode, ModeSoftware);
  const UnitIdentity& identity = simulator->Unit(5)->Identity();
  EXPECT_EQ(identity.softwareVersion, 610) << console.Text();
  EXPECT_EQ(identity.checksum, 0x46199722u);
  EXPECT_EQ(simulator->Unit(2)->Identity().softwareVersion, 608) << "the network is left alone";
}

// A large system: every unit is listed, visited and checked.
TEST_F(SystemUpdate, ASystemOfOneHundredAndTwentyUnitsIsUpdatedWhole) {
  std::string system = Kr5(1, "6.10r57", "Attached = yes\n");
  for (int address = 2; address <= 121; ++address) system += Kr5(address, "6.10r57");
  Start(system);
  UnitInfo local = Connected();
  DebugOn = false;
  SystemUpdateOutcome outcome = FieldUpdateUnit(local);
  EXPECT_EQ(outcome.count, 121);
  EXPECT_TRUE(EveryUnitUpdated(outcome));
  EXPECT_TRUE(Said("    121  unit 121\r\n"));
  EXPECT_TRUE(Said("Velantor Unit: 121 updated\r\n"));
  EXPECT_TRUE(Said("Velantor Unit 121 (KR5): already current, 6.10r57\r\n"));
}

// The reply to the system restart is lost, but the system restarted: what the units run
// afterwards decides, not the one reply.
TEST_F(SystemUpdate, ALostReplyToTheSystemRestartIsJudgedByWhatTheUnitsRun) {
  const std::string system = Kr5(5, "6.08r12", "Attached = yes\n") + Kr5(2, "6.08r12");
  Start(system);
  UnitInfo local = Connected();
  FieldUpdateUnit(local);
  std::vector<std::string> replies = simulator->Traffic().Of(TrafficKind::Sent);
  auto restart = std::find_if(replies.begin(), replies.end(),
                              [](const std::string& reply) { return reply.starts_with("05 45 10 18"); });
  ASSERT_NE(restart, replies.end());

  console.Clear();
  Start(system);
  simulator->OrderFault({.kind = FaultKind::DropReply, .after = static_cast<int>(restart - replies.begin())});
  local = Connected();
  EXPECT_TRUE(EveryUnitUpdated(FieldUpdateUnit(local))) << console.Text();
  EXPECT_TRUE(Said("-- the system restart was not confirmed; checking whether the units restarted\r\n"));
  EXPECT_TRUE(Said("Success: all operations are complete\r\n"));
}

using SystemUpdateDeathTest = SystemUpdate;

// Watched by the death test's child as it ends: whether every unit still runs its
// software with nothing of an update on its drives.
Simulator* watched = nullptr;

void SayWhetherUnitsWereTouched() {
  bool untouched = true;
  for (const SimUnit& unit : watched->Units()) {
    untouched = untouched && unit.program == Program::Software && watched->File(unit.Address(), 193, 0) == nullptr;
    for (uint16_t file : {258, 259, 260}) untouched = untouched && watched->File(unit.Address(), 1, file) == nullptr;
  }
  std::fprintf(stderr, untouched ? "\nevery unit untouched\n" : "\nsome unit was changed\n");
}

// An image folder without one of the files the run will write, or with a damaged
// programmer: the run stops naming the file and where it looked, before it changes
// any unit, the remote KD6's resource pack included.
TEST_F(SystemUpdateDeathTest, AMissingOrDamagedFileStopsTheRunBeforeAnyUnitIsChanged) {
  namespace fs = std::filesystem;
  struct Case {
    const char* file;
    bool truncate;
    const char* message;
  };
  const Case cases[] = {
      {"font-KD6-450.res", false, "Cannot read image file .*/font-KD6-450.res: No such file or directory"},
      {"programmer-KR5-LPC1768-large-C4.img", true,
       "Image file .*/programmer-KR5-LPC1768-large-C4.img is not a download image: the record at offset .+ runs "
       "past the end"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TemporaryFolder images("images");
    fs::copy(QUARNET_IMAGE_FOLDER, images.Path());
    if (c.truncate) {
      fs::resize_file(images.Path(c.file), fs::file_size(images.Path(c.file)) - 7);
    } else {
      fs::remove(images.Path(c.file));
    }
    SetVariable("VELANTORIMAGEDIR", images.Path().c_str());
    Start(Kr5(5, "6.08r12", "Attached = yes\n") +
          "[unit 12]\nCard = 653\nSoftware = 6.08r12\nBootLoaderVersion = 3\nBootLoaderRelease = 18\n"
          "UnitFlags = 0x01\n");
    UnitInfo local = Connected();
    EXPECT_EXIT(
        {
          ReportToStandardError();
          watched = simulator.get();
          std::atexit(SayWhetherUnitsWereTouched);
          FieldUpdateUnit(local);
        },
        testing::ExitedWithCode(1),
        std::string(c.message) + ". The image folders searched: " + images.Path() +
            ". Put the unit maker's image files into one of them, or name their folder in VELANTORIMAGEDIR.\r?\n"
            "(.|\n)*every unit untouched");
  }
}

}  // namespace
