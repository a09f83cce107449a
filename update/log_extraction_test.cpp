// The units' logs saved against the simulator in virtual time, into a folder of
// the test's own.
#include "update/log_extraction.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "protocol/remote_call.h"
#include "runtime/program_state.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"
#include "update/simulated_system_fixture.h"

namespace {

class LogExtraction : public SimulatedSystem {
 protected:
  void SetUp() override {
    SimulatedSystem::SetUp();
    savedProgram = ArgList[0];
    ArgList[0] = program.c_str();
  }
  void TearDown() override {
    ArgList[0] = savedProgram;
    SimulatedSystem::TearDown();
  }
  std::string Saved(const std::string& name) const { return FileText(folder.Path("VelantorLogFiles/" + name)); }

  TemporaryFolder folder{"logs"};
  std::string program = folder.Path("quarnet");
  const char* savedProgram = nullptr;
};

// A display on the port and a transmitter behind it; `more` added to the transmitter.
std::string System(const std::string& more = "") {
  return "[unit 5]\nAttached = yes\nCard = 653\nSoftware = 6.12r41\nSerialNumber = 2318842\nProduct = 4001\n"
         "Information = display\n"
         "[unit 2]\nCard = 659\nSoftware = 6.12r41\nSerialNumber = 2320117\nInformation = transmitter\n"
         "DebugLogs = 0x0301, 0x0302, 0x0303\n" +
         more;
}

std::vector<uint8_t> Counting(size_t size, uint8_t first = 1) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(first + i % 200);
  return bytes;
}

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST_F(LogExtraction, EveryUnitsLogsAreSavedWithoutTheirChunksZeroPadding) {
  Start(System());
  // 300 bytes whose last chunk of 44 ends in four zero bytes.
  std::vector<uint8_t> configuration = Counting(300);
  std::fill(configuration.end() - 4, configuration.end(), 0);
  simulator->PutFile(2, 1, 305, configuration);
  // Zeros inside a chunk stay; a chunk of zeros only adds nothing.
  std::vector<uint8_t> crash = Counting(128);
  crash[10] = 0;
  crash.resize(256, 0);
  std::vector<uint8_t> tail = Counting(20, 50);
  crash.insert(crash.end(), tail.begin(), tail.end());
  simulator->PutFile(2, 1, 271, crash);
  simulator->PutFile(2, 1, 0x0301, {'o', 'n', 'e'});
  simulator->PutFile(2, 1, 0x0303, {'t', 'h', 'r', 'e', 'e', 0, 0});
  UnitInfo local = Connected();
  DebugOn = false;  // the lines the operator sees, in their order

  LogExtractionResult result = ExtractDebugLogsFromUnits(local);

  EXPECT_EQ(result.silentUnit, 0);
  std::string label = "02 KQ0 KT7 2320117.txt";
  std::string savedConfiguration = Saved("ConfigurationLog_" + label);
  EXPECT_EQ(savedConfiguration.size(), 296u);
  EXPECT_EQ(savedConfiguration, Text(configuration).substr(0, 296));
  std::vector<uint8_t> expectedCrash(crash.begin(), crash.begin() + 128);
  expectedCrash.insert(expectedCrash.end(), tail.begin(), tail.end());
  EXPECT_EQ(Saved("CrashLog_" + label), Text(expectedCrash));
  EXPECT_EQ(Saved("DebugLog_" + label), "one\r\n\r\nthree\r\n") << "the missing second log leaves its line end";
  EXPECT_TRUE(Said("Uploading file: 0131\r\n"));
  EXPECT_TRUE(Said("Uploading files:  0301 0302 0303\r\n"));
  EXPECT_TRUE(Said("Checking for configuration log...\r\n-- no configuration log found\r\n"))
      << "the display has none";
  EXPECT_TRUE(Said("-- no debug log found\r\n"));
  EXPECT_EQ(BaudRate, 19200u) << "the connection's speed again";

  // A second run replaces the first run's files.
  simulator->PutFile(2, 1, 305, {'n', 'e', 'w'});
  ExtractDebugLogsFromUnits(local);
  EXPECT_EQ(Saved("ConfigurationLog_" + label), "new");
}

// Forty debug logs: each is copied into the one debug log file, none left out.
TEST_F(LogExtraction, AUnitWithFortyDebugLogsHasEveryOneSaved) {
  std::string ids;
  for (int id = 0x0301; id < 0x0301 + 40; ++id) ids += (ids.empty() ? "" : ", ") + std::to_string(id);
  Start("[unit 5]\nAttached = yes\nCard = 653\nSoftware = 6.12r41\nDebugLogs = " + ids + "\n");
  std::string expected;
  for (int id = 0x0301; id < 0x0301 + 40; ++id) {
    std::string text = "log " + std::to_string(id);
    simulator->PutFile(5, 1, static_cast<uint16_t>(id), std::vector<uint8_t>(text.begin(), text.end()));
    expected += text + "\r\n";
  }
  UnitInfo local = Connected();
  ExtractDebugLogsFromUnits(local);
  EXPECT_EQ(Saved("DebugLog_05 KQ0 KD6 0.txt"), expected);
}

// The unit stops answering in the middle of its configuration log: the complete copy
// of an earlier run stays, no half log takes its name, and the result names it.
TEST_F(LogExtraction, ALogCutShortLeavesTheEarlierCopyAndIsNamed) {
  Start(System());
  simulator->PutFile(2, 1, 305, Counting(100'000));
  std::filesystem::create_directories(folder.Path("VelantorLogFiles"));
  folder.Write("VelantorLogFiles/ConfigurationLog_02 KQ0 KT7 2320117.txt", "complete earlier copy");
  UnitInfo local = Connected();
  // A few blocks into the log, the transmitter goes quiet for good.
  size_t replies = simulator->Traffic().Of(TrafficKind::Sent).size();
  simulator->OrderFault({.kind = FaultKind::Mute, .after = static_cast<int>(replies) + 40, .unit = 2});

  LogExtractionResult result = ExtractDebugLogsFromUnits(local);

  EXPECT_EQ(result.unsavedCount, 1);
  EXPECT_EQ(std::string(result.unsaved.View()), "ConfigurationLog_02 KQ0 KT7 2320117.txt");
  EXPECT_TRUE(Saved("ConfigurationLog_02 KQ0 KT7 2320117.txt") == "complete earlier copy");
  EXPECT_TRUE(Said("-- not saved: the log could not be read whole; an earlier copy stays as it was\r\n"))
      << console.Text();
  for (const std::string& name : folder.Listing()) EXPECT_EQ(name.find("partial"), std::string::npos) << name;
  std::vector<std::string> saved;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path("VelantorLogFiles"))) {
    saved.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(saved, std::vector<std::string>{"ConfigurationLog_02 KQ0 KT7 2320117.txt"}) << "no partial file left";
}

TEST_F(LogExtraction, AUnitAtSixHundredIsListedButNotCopied) {
  Start("[unit 5]\nAttached = yes\nCard = 653\nSoftware = 6.12r41\n"
        "[unit 2]\nCard = 659\nSoftware = 6.00r00\nInformation = old transmitter\n");
  simulator->PutFile(2, 1, 305, {'x'});
  UnitInfo local = Connected();
  ExtractDebugLogsFromUnits(local);
  EXPECT_TRUE(Said("      2  old transmitter\r\n"));
  EXPECT_TRUE(folder.Listing().empty()) << "nothing saved, and no folder made";
}

TEST_F(LogExtraction, AUnitSilentWhileListingIsNamedAndTheSpeedRestored) {
  Start(System());
  UnitInfo local = Connected();
  simulator->OrderFault({.kind = FaultKind::Mute, .unit = 2});
  LogExtractionResult result = ExtractDebugLogsFromUnits(local);
  EXPECT_EQ(result.silentUnit, 2);
  EXPECT_TRUE(Said("Velantor Unit 2 did not answer: its logs cannot be saved\r\n")) << console.Text();
  EXPECT_EQ(BaudRate, 19200u);
  simulator->ClearFaults();
  EXPECT_TRUE(Ping(5)) << "the unit on the port still hears the connection's speed";
}

TEST(SystemLogFolder, BesideTheBuiltProgramElseInTheUsersDataFolder) {
  TemporaryFolder folder("log-folder");
  std::filesystem::create_directories(folder.Path("build"));
  std::filesystem::create_directories(folder.Path("usr/bin"));
  std::filesystem::create_directories(folder.Path("usr/share/quarnet"));
  SavedVariable data("XDG_DATA_HOME", folder.Path("data"));
  const char* saved = ArgList[0];
  std::string built = folder.Path("build/quarnet");
  std::string installed = folder.Path("usr/bin/quarnet");
  ArgList[0] = built.c_str();
  EXPECT_EQ(std::string(SystemLogFolder().View()), folder.Path("build/VelantorLogFiles"));
  ArgList[0] = installed.c_str();
  EXPECT_EQ(std::string(SystemLogFolder().View()), folder.Path("data/quarnet/VelantorLogFiles"));
  ArgList[0] = saved;
}

}  // namespace
