#include "platform/port_names.h"

#include <string>
#include <sys/stat.h>

#include "runtime/files.h"
#include "runtime/path.h"
#include "runtime/user_settings.h"

namespace {

constexpr int PortsPerDriver = 32;

// In the order of the port numbers: each driver takes the next 32.
constexpr std::string_view DefaultDevicePrefixes[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"};

String Numbered(std::string_view prefix, int number) {
  return String::Copy(std::string(prefix) + std::to_string(number));
}

// A dangling link counts: the user named a device for this port, and that device's
// absence is what the open should report.
bool LinkExists(const String& path) {
  struct stat status;
  return lstat(path.Data(), &status) == 0;
}

String UserPortLink(int port) {
  String settings = SettingsFileName();
  if (settings.Empty()) return {};
  return Numbered(Concatenate(DirectoryPart(settings), "/ports/com"), port);
}

String DefaultDevice(int port) {
  int driver = (port - 1) / PortsPerDriver;
  if (driver >= static_cast<int>(std::size(DefaultDevicePrefixes))) return {};
  return Numbered(DefaultDevicePrefixes[driver], (port - 1) % PortsPerDriver);
}

}  // namespace

String DevicePathForPort(int port) {
  if (port <= 0) return {};
  String deviceFolder = GetEnvironment("VELANTORDEVDIR");
  if (!deviceFolder.Empty()) return Numbered(Concatenate(AddSeparator(deviceFolder), "com"), port);
  String userLink = UserPortLink(port);
  if (!userLink.Empty() && LinkExists(userLink)) return userLink;
  return DefaultDevice(port);
}
