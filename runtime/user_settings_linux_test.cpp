#include "runtime/user_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "testing/console_capture.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"

namespace {

class UserSettingsTest : public ::testing::Test {
 protected:
  std::string ReadFile() const { return folder.Read("config/quarnet/settings.ini"); }

  TemporaryFolder folder{"settings"};
  SavedVariable configHome{"XDG_CONFIG_HOME", folder.Path("config")};
  SavedVariable home{"HOME"};
  ConsoleCapture console;
};

TEST_F(UserSettingsTest, TheFileFollowsTheConfigurationHome) {
  EXPECT_EQ(SettingsFileName(), folder.Path("config/quarnet/settings.ini"));
  home.Set("/home/operator");
  for (const char* configured : {"", "relative/config"}) {
    configHome.Set(configured);
    EXPECT_EQ(SettingsFileName(), "/home/operator/.config/quarnet/settings.ini") << configured;
  }
  configHome.Unset();
  home.Unset();
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
  ASSERT_EQ(stat(folder.Path("config/quarnet").c_str(), &status), 0);
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
  std::filesystem::create_directory(folder.Path("config"));
  folder.Write("config/quarnet", "in the way");
  WriteUserSetting("BaudRate", "115200");
  EXPECT_TRUE(ReadUserSetting("BaudRate").Empty());
  WriteUserSetting("BaudRate", "");
  EXPECT_TRUE(console.Text().empty()) << console.Text();
}

}  // namespace
