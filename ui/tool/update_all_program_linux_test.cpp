// The whole program on a (virtual) display beside quarnet-sim on a pseudo-terminal, in
// real time: the operator presses Update All, connects again once the units have
// restarted and presses Save System Logs. Afterwards every unit runs the tool's
// software and holds the tool's files byte for byte, and its logs are saved.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "protocol/unit_info.h"
#include "testing/program_run.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"
#include "transfer/image_catalogue.h"
#include "transfer/resource_files.h"

namespace {

namespace fs = std::filesystem;

// A KR5 on the port and a KT5 (with its language files) behind it, both on older
// software, both keeping logs.
constexpr const char* SystemText =
    "[unit 5]\nAttached = yes\nCard = 649\nMcu = LPC1768\nSoftware = 6.08r12\nBootLoaderVersion = 4\n"
    "BootLoaderRelease = 18\nBufferSize = 8192\nUnitFlags = 0x01\nInformation = Gate I/O\nLogs = yes\n"
    "DebugLogs = 0x0301, 0x0302\n"
    "[unit 2]\nCard = 648\nMcu = LPC1768\nSoftware = 6.08r12\nBootLoaderVersion = 4\nBootLoaderRelease = 18\n"
    "BufferSize = 8192\nUnitFlags = 0x01\nInformation = Load cells\nLogs = yes\n";

std::string Hex(uint32_t value, int digits) {
  char text[12];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// The unit report the log holds for the unit at `address` after the logs were saved.
std::string ReportAfterSaving(const std::string& log, int address) {
  size_t start = log.find("ExtractLogFilesFromUnit=" + std::to_string(address));
  if (start == std::string::npos) return "";
  return log.substr(start, log.find("Checking for configuration log", start) - start);
}

std::string ChecksText(int unittype) {
  UnitInfo unit{};
  unit.unittype = static_cast<int8_t>(unittype);
  unit.mcu = 5;
  uint32_t checksum = 0;
  uint16_t crc = 0;
  EXPECT_TRUE(ExpectedSoftwareChecks(unit, checksum, crc));
  return Hex(checksum, 8) + " " + Hex(crc, 4);
}

// Runs the operator's script in `folder`: the system of `system` (a file there),
// the program's folder `work`, the simulator's dump `dump`; with a fault the run ends
// at the fatal error.
ProgramRun OperatorRun(const TemporaryFolder& folder, const std::string& system, const std::string& work,
                       const std::string& dump, const std::string& fault = "") {
  // The line and the units run eight times as fast as real ones: what the operator
  // sees and what the units end with are the same, in an eighth of the time.
  std::string command = std::string("env -u QUARNET_UI SPEEDUP=8 xvfb-run -a -n 170 -s '-screen 0 2040x800x24' ") +
                        UPDATE_ALL_SCRIPT + " " + QUARNET_PROGRAM + " " + QUARNET_SIM_PROGRAM + " " +
                        CLOSE_WINDOW_TOOL + " " + folder.Path(system) + " " + folder.Path(work) + " " +
                        folder.Path(dump) + " " + fs::absolute("update_all.png").string() + " " + fault;
  // A display server that another run left half started can refuse the first try;
  // xvfb-run then picks another display number on the second.
  ProgramRun run{-1, ""};
  for (int attempt = 0; attempt < 2 && run.output.find("connected") == std::string::npos; ++attempt) {
    fs::remove_all(folder.Path(work));
    fs::remove_all(folder.Path(dump));
    fs::create_directories(folder.Path(work));
    run = RunProgram(".", command, "", std::chrono::seconds(400));
  }
  return run;
}

std::string LogOf(const TemporaryFolder& folder, const std::string& work) {
  fs::directory_iterator logs(folder.Path(work + "/LogFiles"));
  return logs == fs::directory_iterator() ? "" : FileText(logs->path());
}

bool DisplayToolsInstalled() {
  for (const char* tool : {"xvfb-run", "xdotool", "import"}) {
    if (!ProgramInstalled(tool)) return false;
  }
  return true;
}

TEST(UpdateAllProgram, EveryUnitEndsOnTheToolsSoftwareAndItsLogsAreSaved) {
  if (!DisplayToolsInstalled()) GTEST_SKIP() << "xvfb-run, xdotool or import is missing (tools/install-packages)";
  TemporaryFolder folder("update-all");
  folder.Write("system.ini", SystemText);
  SavedVariable images("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER);
  ProgramRun run = OperatorRun(folder, "system.ini", "work", "dump");
  ASSERT_NE(run.output.find("exit 0"), std::string::npos) << run.output;
  EXPECT_TRUE(fs::exists("update_all.png"));

  std::string log = LogOf(folder, "work");
  EXPECT_NE(log.find("Success: all operations are complete"), std::string::npos);
  for (auto [address, unittype] : {std::pair{5, UnitRemoteIo}, std::pair{2, UnitTransmitter}}) {
    std::string report = ReportAfterSaving(log, address);
    EXPECT_NE(report.find("Software        : v6.10r57"), std::string::npos) << report;
    EXPECT_NE(report.find("Checksum        : " + ChecksText(unittype)), std::string::npos) << report;
  }

  // The drives hold the tool's files and nothing of the update is left.
  ResourceFileList languages = ResourceFileSet(648, 5);
  ASSERT_EQ(languages.count, 7);
  for (int i = 0; i < languages.count; ++i) {
    const ResourceFile& file = languages.files[i];
    std::string name = "dump/unit2-drive1-file" + Hex(file.fileNumber, 4) + ".bin";
    EXPECT_EQ(folder.Read(name), std::string(reinterpret_cast<const char*>(file.bytes.data), file.bytes.length))
        << name;
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(folder.Path("dump"))) {
    std::string name = entry.path().filename().string();
    EXPECT_EQ(name.find("drive193"), std::string::npos) << name;
    for (const char* update : {"file0102", "file0103", "file0104"}) EXPECT_EQ(name.find(update), std::string::npos);
  }

  std::string saved = folder.Path("work/VelantorLogFiles/");
  EXPECT_EQ(FileText(saved + "ConfigurationLog_02 KQ0 KT5 0.txt").rfind("Configuration log of unit 2 card 648\r\n", 0),
            0u);
  EXPECT_EQ(FileText(saved + "CrashLog_05 KQ0 KR5 0.txt").rfind("Crash log of unit 5 card 649\r\n", 0), 0u);
  std::string debug = FileText(saved + "DebugLog_05 KQ0 KR5 0.txt");
  EXPECT_NE(debug.find("Debug log 0302 of unit 5"), std::string::npos) << debug;
  EXPECT_EQ(debug.find('\0'), std::string::npos) << "the records' zero padding is dropped";
}

// The port goes away in the middle of a software write into flash, and in the middle
// of an update file sent through the network. The program says why it stops, within
// its time-outs, frees the port's lock and ends with exit code 1; the next run, which
// meets the units as the first left them, completes the update.
TEST(UpdateAllProgram, APortVanishingMidUpdateEndsTheRunAndTheNextRunCompletesIt) {
  if (!DisplayToolsInstalled()) GTEST_SKIP() << "xvfb-run, xdotool or import is missing (tools/install-packages)";
  SavedVariable images("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER);
  const std::string kr5 =
      "[unit 5]\nCard = 649\nMcu = LPC1768\nBootLoaderVersion = 4\nBootLoaderRelease = 18\nBufferSize = 8192\n"
      "RestartTime = 600\n";
  struct Case {
    const char* what;
    std::string system;
    const char* fault;  // about half way through the software image or the update file
    std::string leftBehind;
  };
  const Case cases[] = {
      {"software write", kr5 + "Software = 5.90r11\n", "vanish@34",
       kr5 + "Software = 5.90r11\nProgram = bootloader\nBootFlags = 0x04\n"},
      {"file send", SystemText, "vanish@330", SystemText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TemporaryFolder folder("vanish");
    folder.Write("system.ini", c.system);
    folder.Write("left.ini", c.leftBehind);
    ProgramRun first = OperatorRun(folder, "system.ini", "first", "dump1", c.fault);
    EXPECT_NE(first.output.find("exit 1"), std::string::npos) << first.output;
    size_t at = first.output.find("error acknowledged after ");
    ASSERT_NE(at, std::string::npos) << first.output;
    EXPECT_LT(std::stoi(first.output.substr(at + 25)), 60) << "no wait beyond the time-outs";
    std::string log = LogOf(folder, "first");
    // The write stops at once; the file send first reopens the port to recover, which
    // ends with the system's own words for the missing device.
    EXPECT_NE(log.find("Fatal Error: "), std::string::npos) << log.substr(log.size() > 2000 ? log.size() - 2000 : 0);
    EXPECT_TRUE(fs::is_empty(folder.Path("first/locks"))) << "the lock file is gone";

    ProgramRun next = OperatorRun(folder, "left.ini", "next", "dump2");
    EXPECT_NE(next.output.find("exit 0"), std::string::npos) << next.output;
    std::string nextLog = LogOf(folder, "next");
    EXPECT_NE(nextLog.find("Success: all operations are complete"), std::string::npos);
    EXPECT_NE(ReportAfterSaving(nextLog, 5).find("Software        : v6.10r57"), std::string::npos);
  }
}

}  // namespace
