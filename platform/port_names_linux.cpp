#include "platform/port_names.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "runtime/files.h"
#include "runtime/path.h"
#include "runtime/program_state.h"
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

String UserPortFolder() {
  String settings = SettingsFileName();
  if (settings.Empty()) return {};
  return Concatenate(DirectoryPart(settings), "/ports");
}

String UserPortLink(int port) {
  String folder = UserPortFolder();
  if (folder.Empty()) return {};
  return Numbered(Concatenate(folder, "/com"), port);
}

// The numbers n of the entries com<n> in `folder`, lowest first.
std::vector<int> LinkedPorts(const String& folder) {
  std::vector<int> ports;
  DIR* entries = folder.Empty() ? nullptr : opendir(folder.Data());
  if (entries == nullptr) return ports;
  while (dirent* entry = readdir(entries)) {
    const char* digits = entry->d_name + 3;
    if (std::strncmp(entry->d_name, "com", 3) != 0 || *digits < '1' || *digits > '9') continue;
    char* end = nullptr;
    long port = std::strtol(digits, &end, 10);
    if (*end == '\0' && port <= INT16_MAX) ports.push_back(static_cast<int>(port));
  }
  closedir(entries);
  std::sort(ports.begin(), ports.end());
  return ports;
}

bool IsDevice(const String& path, const struct stat& device) {
  struct stat status;
  return stat(path.Data(), &status) == 0 && S_ISCHR(status.st_mode) && status.st_rdev == device.st_rdev;
}

String DefaultDevice(int port) {
  int driver = (port - 1) / PortsPerDriver;
  if (driver >= static_cast<int>(std::size(DefaultDevicePrefixes))) return {};
  return Numbered(DefaultDevicePrefixes[driver], (port - 1) % PortsPerDriver);
}

}  // namespace

String DevicePathForPort(int port) {
  if (port == PathPortNumber) return PortPath;
  if (port <= 0) return {};
  String deviceFolder = GetEnvironment("VELANTORDEVDIR");
  if (!deviceFolder.Empty()) return Numbered(Concatenate(AddSeparator(deviceFolder), "com"), port);
  String userLink = UserPortLink(port);
  if (!userLink.Empty() && LinkExists(userLink)) return userLink;
  return DefaultDevice(port);
}

int PortForDevicePath(const String& path) {
  // The device folder names every port when it is set; the built-in numbering is then
  // out of use.
  String deviceFolder = GetEnvironment("VELANTORDEVDIR");
  std::vector<int> ports = LinkedPorts(deviceFolder.Empty() ? UserPortFolder() : deviceFolder);
  if (deviceFolder.Empty()) {
    int builtIn = PortsPerDriver * static_cast<int>(std::size(DefaultDevicePrefixes));
    for (int port = 1; port <= builtIn; ++port) ports.push_back(port);
  }
  struct stat named;
  bool device = stat(path.Data(), &named) == 0 && S_ISCHR(named.st_mode);
  for (int port : ports) {
    String candidate = DevicePathForPort(port);
    if (candidate == path.View() || (device && IsDevice(candidate, named))) return port;
  }
  return 0;
}
