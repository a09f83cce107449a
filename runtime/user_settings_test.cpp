#include "runtime/user_settings.h"

#include <gtest/gtest.h>

#include "testing/saved_variable.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "runtime/console_streams.h"

namespace {

std::string console;

class UserSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/quarnet-settings-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    root = name;
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    console.clear();
    ResetStandardStreams();
    InstallConsoleSink([](uint8_t c) { console += static_cast<char>(c); });
  }
  void TearDown() override {
    InstallConsoleSink(nullptr);
    std::filesystem::remove_all(root);
  }

  std::string ReadFile() const {
    std::ifstream file(root + "/config/quarnet/settings.ini", std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
  }

  SavedVariable configHome{"XDG_CONFIG_HOME"};
  SavedVariable home{"HOME"};
  std::string root;
};

TEST_F(UserSettingsTest, TheFileFollowsTheConfigurationHome) {
  EXPECT_EQ(SettingsFileName(), root + "/config/quarnet/settings.ini");
  setenv("HOME", "/home/operator", 1);
  for (const char* configured : {"", "relative/config"}) {
    setenv("XDG_CONFIG_HOME", configured, 1);
    EXPECT_EQ(SettingsFileName(), "/home/operator/.config/quarnet/settings.ini") << configured;
  }
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("HOME");
  EXPECT_TRUE(SettingsFileName().Empty());
  EXPECT_TRUE(ReadUserSetting("Software\\Corvane\\Quarnet\\CommPort").Empty());
}

TEST_F(UserSettingsTest, ValuesKeepTheirWholePathAsKey) {
  EXPECT_TRUE(ReadUserSetting("Software\\Corvane\\Quarnet\\CommPort").Empty());
  WriteUserSetting("Software\\Corvane\\Quarnet\\CommPort", "3");
  WriteUserSetting("Software\\Corvane\\Quarnet\\InitialDir", "/home/op/setups");
  WriteUserSetting("Software\\Corvane\\Quarnet\\CommPort", "4");
  EXPECT_EQ(ReadUserSetting("Software\\Corvane\\Quarnet\\CommPort"), "4");
  EXPECT_EQ(ReadFile(),
            "Software\\Corvane\\Quarnet\\CommPort=4\r\n"
            "Software\\Corvane\\Quarnet\\InitialDir=/home/op/setups\r\n");
  struct stat status;
  ASSERT_EQ(stat((root + "/config/quarnet").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  WriteUserSetting("Software\\Corvane\\Quarnet\\CommPort", "");
  EXPECT_TRUE(ReadUserSetting("Software\\Corvane\\Quarnet\\CommPort").Empty());
  EXPECT_EQ(ReadFile(), "Software\\Corvane\\Quarnet\\InitialDir=/home/op/setups\r\n");
}

TEST_F(UserSettingsTest, LongValuesReadAsTheirFirst256Characters) {
  std::string value(300, 'v');
  value[255] = 'e';
  WriteUserSetting("GenerateDir", String::Copy(value));
  EXPECT_EQ(ReadUserSetting("GenerateDir"), value.substr(0, 256));
}

// A settings folder that cannot be made: nothing is written, nothing is said.
TEST_F(UserSettingsTest, FailuresAreSilent) {
  std::filesystem::create_directory(root + "/config");
  std::ofstream(root + "/config/quarnet") << "in the way";
  WriteUserSetting("BaudRate", "115200");
  EXPECT_TRUE(ReadUserSetting("BaudRate").Empty());
  WriteUserSetting("BaudRate", "");
  EXPECT_TRUE(console.empty()) << console;
}

}  // namespace
