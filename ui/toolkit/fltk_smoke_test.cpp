// The FLTK backend on a real (virtual) display: the console window and a form appear, a
// click made with xdotool reaches the form's button's handler, the program ends cleanly
// on SIGTERM, and screenshots are taken for a person to look at (fltk_smoke.png, both
// windows, and fltk_smoke_console.png, the console alone, beside the test program).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

bool Installed(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string CommandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  return output;
}

TEST(FltkSmoke, AFormAppearsAndAClickReachesItsHandler) {
  for (const char* tool : {"xvfb-run", "xdotool", "import", "identify"}) {
    if (!Installed(tool)) GTEST_SKIP() << tool << " is not installed (tools/install-packages brings it)";
  }
  std::filesystem::path shot = std::filesystem::absolute("fltk_smoke.png");
  std::filesystem::path consoleShot = std::filesystem::absolute("fltk_smoke_console.png");
  std::filesystem::remove(shot);
  std::filesystem::remove(consoleShot);
  // Wide enough for the form and the 120-column console side by side.
  std::string command = std::string("env -u QUARNET_UI xvfb-run -a -s '-screen 0 1320x480x24' ") + SMOKE_SCRIPT + " " +
                        SMOKE_FORM + " " + shot.string() + " " + consoleShot.string() + " 2>&1";
  // A display server that another run left half started can refuse the first try;
  // xvfb-run then picks another display number on the second.
  std::string output;
  int status = -1;
  for (int attempt = 0; attempt < 2 && status != 0; ++attempt) {
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    output.clear();
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    status = pclose(pipe);
  }
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("clicked"), std::string::npos) << output;
  for (const std::filesystem::path& picture : {shot, consoleShot}) {
    ASSERT_TRUE(std::filesystem::exists(picture)) << picture << "\n" << output;
    EXPECT_GT(std::filesystem::file_size(picture), 1000u) << picture;
  }
  // A console window that came up but painted no text shows only its background and
  // scroll bars.
  int colours = std::atoi(CommandOutput("identify -format %k " + consoleShot.string()).c_str());
  EXPECT_GE(colours, 32) << "colours in the console's picture";
}

}  // namespace
