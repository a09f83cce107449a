// The FLTK backend on a real (virtual) display: the console window and a form appear, a
// click made with xdotool reaches the form's button's handler, the program ends cleanly
// on SIGTERM, and screenshots are taken for a person to look at (fltk_smoke.png, both
// windows, and fltk_smoke_console.png, the console alone, beside the test program).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "testing/program_run.h"

namespace {

TEST(FltkSmoke, AFormAppearsAndAClickReachesItsHandler) {
  for (const char* tool : {"xvfb-run", "xdotool", "import", "identify"}) {
    if (!ProgramInstalled(tool)) GTEST_SKIP() << tool << " is not installed (tools/install-packages brings it)";
  }
  std::filesystem::path shot = std::filesystem::absolute("fltk_smoke.png");
  std::filesystem::path consoleShot = std::filesystem::absolute("fltk_smoke_console.png");
  std::filesystem::remove(shot);
  std::filesystem::remove(consoleShot);
  // Wide enough for the form and the 120-column console side by side.
  std::string command = std::string("env -u QUARNET_UI xvfb-run -a -s '-screen 0 1320x480x24' ") + SMOKE_SCRIPT + " " +
                        SMOKE_FORM + " " + shot.string() + " " + consoleShot.string();
  // A display server that another run left half started can refuse the first try;
  // xvfb-run then picks another display number on the second.
  ProgramRun run{-1, ""};
  for (int attempt = 0; attempt < 2 && run.exitCode != 0; ++attempt) {
    run = RunProgram(".", command, "", std::chrono::seconds(120));
  }
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("clicked"), std::string::npos) << run.output;
  for (const std::filesystem::path& picture : {shot, consoleShot}) {
    ASSERT_TRUE(std::filesystem::exists(picture)) << picture << "\n" << run.output;
    EXPECT_GT(std::filesystem::file_size(picture), 1000u) << picture;
  }
  // A console window that came up but painted no text shows only its background and
  // scroll bars.
  ProgramRun identify = RunProgram(".", "identify -format %k " + consoleShot.string() + " 2>/dev/null");
  int colours = std::atoi(identify.output.c_str());
  EXPECT_GE(colours, 32) << "colours in the console's picture";
}

}  // namespace
