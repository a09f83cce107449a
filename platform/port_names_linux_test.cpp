#include "platform/port_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/program_state.h"
#include "testing/idle_terminal.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"

namespace {

class PortNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    deviceFolder.Unset();
    std::filesystem::create_directories(userPorts());
  }

  std::string userPorts() const { return folder.Path("config/quarnet/ports"); }

  TemporaryFolder folder{"ports"};
  SavedVariable deviceFolder{"VELANTORDEVDIR"};
  SavedVariable configHome{"XDG_CONFIG_HOME", folder.Path("config")};
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
  std::filesystem::create_symlink(folder.Path("unplugged"), userPorts() + "/com120");
  EXPECT_EQ(DevicePathForPort(3), userPorts() + "/com3");
  EXPECT_EQ(DevicePathForPort(120), userPorts() + "/com120");
  EXPECT_EQ(DevicePathForPort(4), "/dev/ttyS3");
}

TEST_F(PortNamesTest, TheDeviceFolderNamesEveryPort) {
  std::filesystem::create_symlink("/dev/ttyUSB0", userPorts() + "/com3");
  for (std::string devices : {folder.Path("devices"), folder.Path("devices/")}) {
    deviceFolder.Set(devices);
    EXPECT_EQ(DevicePathForPort(3), folder.Path("devices/com3")) << devices;
    EXPECT_EQ(DevicePathForPort(200), folder.Path("devices/com200")) << devices;
    EXPECT_EQ(DevicePathForPort(0), "") << devices;
  }
}

TEST_F(PortNamesTest, ThePathPortIsThePathTheCommandLineNamed) {
  PortPath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3Q7B-if00-port0";
  EXPECT_EQ(DevicePathForPort(PathPortNumber), PortPath.View());
  PortPath.Clear();
}

TEST_F(PortNamesTest, ADevicePathIsTheCOMPortWhoseDeviceItIs) {
  IdleTerminal linked;
  IdleTerminal unlinked;
  ASSERT_FALSE(linked.Path().empty());
  ASSERT_FALSE(unlinked.Path().empty());
  std::filesystem::create_symlink(linked.Path(), userPorts() + "/com3");
  std::filesystem::create_symlink(linked.Path(), folder.Path("by-id"));
  std::filesystem::create_directories(folder.Path("devices"));
  std::filesystem::create_symlink(linked.Path(), folder.Path("devices/com4"));
  std::filesystem::create_symlink(folder.Path("unplugged"), folder.Path("devices/com9"));
  struct Case {
    std::string path;
    int port;
  };
  // The user's links and the built-in numbering.
  const Case userPortCases[] = {
      {linked.Path(), 3},
      {folder.Path("by-id"), 3},
      {userPorts() + "/com3", 3},
      {"/dev/ttyUSB0", 33},
      {"/dev/ttyACM31", 96},
      {"/dev/ttyACM32", 0},
      {unlinked.Path(), 0},
      {"/dev/null", 0},
  };
  for (const Case& c : userPortCases) EXPECT_EQ(PortForDevicePath(String::Copy(c.path)), c.port) << c.path;
  // The device folder alone, dangling links included.
  deviceFolder.Set(folder.Path("devices"));
  const Case deviceFolderCases[] = {
      {linked.Path(), 4},
      {folder.Path("by-id"), 4},
      {folder.Path("devices/com9"), 9},
      {"/dev/ttyUSB0", 0},
      {unlinked.Path(), 0},
  };
  for (const Case& c : deviceFolderCases) EXPECT_EQ(PortForDevicePath(String::Copy(c.path)), c.port) << c.path;
}

}  // namespace
