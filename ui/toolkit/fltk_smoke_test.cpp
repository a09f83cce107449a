// The FLTK backend on a real (virtual) display: a form appears, a click made with
// xdotool reaches its button's handler, and a screenshot is taken for a person to look
// at (fltk_smoke.png beside the test program).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

bool Installed(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

TEST(FltkSmoke, AFormAppearsAndAClickReachesItsHandler) {
  for (const char* tool : {"xvfb-run", "xdotool", "import"}) {
    if (!Installed(tool)) GTEST_SKIP() << tool << " is not installed (tools/install-packages brings it)";
  }
  std::filesystem::path shot = std::filesystem::absolute("fltk_smoke.png");
  std::filesystem::remove(shot);
  std::string command = std::string("env -u QUARNET_UI xvfb-run -a -s '-screen 0 800x400x24' ") + SMOKE_SCRIPT + " " +
                        SMOKE_FORM + " " + shot.string() + " 2>&1";
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
  ASSERT_TRUE(std::filesystem::exists(shot)) << output;
  EXPECT_GT(std::filesystem::file_size(shot), 1000u);
}

}  // namespace
