#include "platform/port_names.h"

#include <gtest/gtest.h>

#include "testing/saved_variable.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

class PortNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/quarnet-ports-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    root = name;
    unsetenv("VELANTORDEVDIR");
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    std::filesystem::create_directories(userPorts());
  }
  void TearDown() override { std::filesystem::remove_all(root); }

  std::string userPorts() const { return root + "/config/quarnet/ports"; }

  SavedVariable deviceFolder{"VELANTORDEVDIR"};
  SavedVariable configHome{"XDG_CONFIG_HOME"};
  std::string root;
};

TEST_F(PortNamesTest, BuiltInNumberingCoversTheUsualDrivers) {
  struct Case {
    int port;
    const char* device;
  };
  const Case cases[] = {
      {1, "/dev/ttyS0"},     {3, "/dev/ttyS2"},     {32, "/dev/ttyS31"}, {33, "/dev/ttyUSB0"},
      {64, "/dev/ttyUSB31"}, {65, "/dev/ttyACM0"}, {96, "/dev/ttyACM31"}, {97, ""},
      {0, ""},               {-1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DevicePathForPort(c.port), c.device) << "COM" << c.port;
}

TEST_F(PortNamesTest, AUserLinkTakesThePlaceOfTheBuiltInDevice) {
  std::filesystem::create_symlink("/dev/ttyUSB0", userPorts() + "/com3");
  // Dangling: the device it names is absent, which the open then reports.
  std::filesystem::create_symlink(root + "/unplugged", userPorts() + "/com120");
  EXPECT_EQ(DevicePathForPort(3), userPorts() + "/com3");
  EXPECT_EQ(DevicePathForPort(120), userPorts() + "/com120");
  EXPECT_EQ(DevicePathForPort(4), "/dev/ttyS3");
}

TEST_F(PortNamesTest, TheDeviceFolderNamesEveryPort) {
  std::filesystem::create_symlink("/dev/ttyUSB0", userPorts() + "/com3");
  for (std::string folder : {root + "/devices", root + "/devices/"}) {
    setenv("VELANTORDEVDIR", folder.c_str(), 1);
    EXPECT_EQ(DevicePathForPort(3), root + "/devices/com3") << folder;
    EXPECT_EQ(DevicePathForPort(200), root + "/devices/com200") << folder;
    EXPECT_EQ(DevicePathForPort(0), "") << folder;
  }
}

}  // namespace
