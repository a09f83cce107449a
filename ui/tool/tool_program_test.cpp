// The whole program without a display: started beside quarnet-sim's demo system on a
// pseudo-terminal, it finds the unit, connects and lists the system; SIGTERM, as a
// session ending sends it, ends it cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/program_run.h"
#include "sim/simulator_process.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ToolProgram, HeadlessRunFindsTheDemoSystemAndEndsCleanlyOnSigterm) {
  char pattern[] = "/tmp/quarnet-run-XXXXXX";
  fs::path folder = mkdtemp(pattern);
  fs::create_directories(folder / "dev");
  fs::create_directories(folder / "locks");
  fs::copy_file(QUARNET_PROGRAM, folder / "quarnet");
  ProgramRun run;
  {
    SimulatorProcess simulator(QUARNET_SIM_PROGRAM, (folder / "dev" / "com4").string());
    ASSERT_TRUE(simulator.Ready());
    run = RunProgram(folder.string(),
                     "env QUARNET_UI=headless VELANTORDEVDIR=dev VELANTORPORTLIST=COM4 VELANTORLOCKDIR=locks "
                     "XDG_CONFIG_HOME=config ./quarnet",
                     "Connected");
  }
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("COM4 opened\r\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Connected\r\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("ToolFormFinalise"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("aborted"), std::string::npos) << run.output;
  // The lock file told other tools the port was in use; the port is free again.
  EXPECT_TRUE(fs::is_empty(folder / "locks"));
  fs::directory_iterator logs(folder / "LogFiles");
  ASSERT_NE(logs, fs::directory_iterator());
  std::string log = Read(logs->path());
  EXPECT_NE(log.find("RPC: ListRemoteUnits"), std::string::npos);
  EXPECT_NE(log.find("lockVelantorCommPort4"), std::string::npos) << log;
  fs::remove_all(folder);
}

}  // namespace
