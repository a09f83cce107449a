// The whole program beside quarnet-sim's demo system on a pseudo-terminal: without a
// display it finds the unit, connects and lists the system, and SIGTERM, as a session
// ending sends it, ends it cleanly; on a (virtual) display its window lists the units.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/program_run.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(ToolProgram, HeadlessRunFindsTheDemoSystemAndEndsCleanlyOnSigterm) {
  TemporaryFolder folder("run");
  fs::create_directories(folder.Path("dev"));
  fs::create_directories(folder.Path("locks"));
  fs::copy_file(QUARNET_PROGRAM, folder.Path("quarnet"));
  ProgramRun run;
  {
    SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"));
    ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
    run = RunProgram(folder.Path(),
                     "env QUARNET_UI=headless VELANTORDEVDIR=dev VELANTORPORTLIST=COM4 VELANTORLOCKDIR=locks "
                     "XDG_CONFIG_HOME=" + folder.Path("config") + " ./quarnet",
                     "Connected");
  }
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("COM4 opened\r\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Connected\r\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("ToolFormFinalise"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("aborted"), std::string::npos) << run.output;
  // The lock file told other tools the port was in use; the port is free again.
  EXPECT_TRUE(fs::is_empty(folder.Path("locks")));
  fs::directory_iterator logs(folder.Path("LogFiles"));
  ASSERT_NE(logs, fs::directory_iterator());
  std::string log = FileText(logs->path());
  EXPECT_NE(log.find("RPC: ListRemoteUnits"), std::string::npos);
  EXPECT_NE(log.find("lockVelantorCommPort4"), std::string::npos) << log;
}

// Runs the display script in `mode` ("main" or "console": which window the operator
// closes at the end; "stop": SIGTERM during a wait for the unit) and returns its output.
ProgramRun OnADisplay(const std::string& mode, const fs::path& shot) {
  fs::remove(shot);
  std::string command = std::string("env -u QUARNET_UI xvfb-run -a -n 150 -s '-screen 0 1280x800x24' ") +
                        MAIN_WINDOW_SCRIPT + " " + QUARNET_PROGRAM + " " + QUARNET_SIM_PROGRAM + " " +
                        CLOSE_WINDOW_TOOL + " " + shot.string() + " " + mode;
  // Display numbers from 150 on, apart from the toolkit's smoke test running beside
  // this one. A display server that another run left half started can refuse the
  // first try; xvfb-run then picks another display number on the second.
  ProgramRun run{-1, ""};
  for (int attempt = 0; attempt < 2 && run.output.find("main window shown") == std::string::npos; ++attempt) {
    run = RunProgram(".", command, "", std::chrono::seconds(90));
  }
  return run;
}

TEST(ToolProgram, OnADisplayTheWindowListsTheSystemAndClosingAWindowEndsTheProgram) {
  for (const char* tool : {"xvfb-run", "xdotool", "import"}) {
    if (!ProgramInstalled(tool)) GTEST_SKIP() << tool << " is not installed (tools/install-packages brings it)";
  }
  for (const char* mode : {"main", "console"}) {
    fs::path shot = fs::absolute(std::string("main_window_") + mode + ".png");
    ProgramRun run = OnADisplay(mode, shot);
    EXPECT_EQ(run.exitCode, 0) << mode << "\n" << run.output;
    EXPECT_NE(run.output.find("units listed"), std::string::npos) << mode << "\n" << run.output;
    EXPECT_NE(run.output.find("exit 0"), std::string::npos) << mode << "\n" << run.output;
    EXPECT_TRUE(fs::exists(shot)) << run.output;
  }
}

// A session that ends while the program waits for the operator to power-cycle the unit
// must not meet a message box that nobody will answer.
TEST(ToolProgram, OnADisplaySigtermDuringAWaitEndsWithoutAskingAnybody) {
  for (const char* tool : {"xvfb-run", "xdotool", "import"}) {
    if (!ProgramInstalled(tool)) GTEST_SKIP() << tool << " is not installed (tools/install-packages brings it)";
  }
  ProgramRun run = OnADisplay("stop", fs::absolute("main_window_stop.png"));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("waiting for the power cycle"), std::string::npos) << run.output;
  // The wait is abandoned as the operator's stop request always ends it.
  EXPECT_NE(run.output.find("exit 1\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Stopped by the operator"), std::string::npos) << run.output;
}

}  // namespace
