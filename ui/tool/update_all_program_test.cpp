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

TEST(UpdateAllProgram, EveryUnitEndsOnTheToolsSoftwareAndItsLogsAreSaved) {
  for (const char* tool : {"xvfb-run", "xdotool", "import"}) {
    if (!ProgramInstalled(tool)) GTEST_SKIP() << tool << " is not installed (tools/install-packages brings it)";
  }
  TemporaryFolder folder("update-all");
  fs::create_directories(folder.Path("work"));
  folder.Write("system.ini", SystemText);
  SavedVariable images("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER);
  fs::path shot = fs::absolute("update_all.png");
  std::string command = std::string("env -u QUARNET_UI xvfb-run -a -n 170 -s '-screen 0 1280x800x24' ") +
                        UPDATE_ALL_SCRIPT + " " + QUARNET_PROGRAM + " " + QUARNET_SIM_PROGRAM + " " +
                        CLOSE_WINDOW_TOOL + " " + folder.Path("system.ini") + " " + folder.Path("work") + " " +
                        folder.Path("dump") + " " + shot.string();
  ProgramRun run = RunProgram(".", command, "", std::chrono::seconds(400));
  ASSERT_NE(run.output.find("exit 0"), std::string::npos) << run.output;
  EXPECT_TRUE(fs::exists(shot));

  fs::directory_iterator logs(folder.Path("work/LogFiles"));
  ASSERT_NE(logs, fs::directory_iterator());
  std::string log = FileText(logs->path());
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

}  // namespace
