#include "platform/port_names.h"

#include <gtest/gtest.h>

namespace {

TEST(PortNamesWin32Test, PortNIsTheDeviceComN) {
  struct Case {
    int port;
    const char* device;
  };
  const Case cases[] = {{1, "\\\\.\\com1"}, {9, "\\\\.\\com9"}, {10, "\\\\.\\com10"}, {256, "\\\\.\\com256"},
                        {0, ""},            {-2, ""},           {32768, ""}};
  for (const Case& c : cases) EXPECT_EQ(DevicePathForPort(c.port), c.device) << c.port;
}

TEST(PortNamesWin32Test, ACommandLineNamesAPortAsTheSystemWritesIt) {
  struct Case {
    const char* path;
    int port;
  };
  const Case cases[] = {
      {"COM3", 3},         {"com3", 3},         {"Com12", 12},        {"\\\\.\\COM7", 7},   {"\\\\.\\com200", 200},
      {"COM32767", 32767}, {"COM0", 0},         {"COM03", 0},         {"COM", 0},           {"COM3:", 0},
      {"COM-3", 0},        {"COM32768", 0},     {"COM999999", 0},     {"\\\\?\\COM3", 0},   {"\\\\.\\\\COM3", 0},
      {"LPT1", 0},         {"C:\\COM3", 0},     {"COM 3", 0},         {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(PortForDevicePath(String::Copy(c.path)), c.port) << c.path;
}

}  // namespace
