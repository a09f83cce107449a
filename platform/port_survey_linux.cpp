#include "platform/port_survey.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/port_names.h"

namespace {

std::string RealPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string real = resolved;
  std::free(resolved);
  return real;
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string FirstLine(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* directory = opendir(folder.c_str())) {
    while (dirent* entry = readdir(directory)) {
      if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    closedir(directory);
  }
  return names;
}

// An on-board port whose UART is not fitted is a tty all the same; the serial core
// says so with type 0.
bool NoUartFitted(const std::string& tty) {
  std::string type = FirstLine("/sys/class/tty/" + tty + "/type");
  return !type.empty() && type == "0";
}

std::string StableName(const std::string& real) {
  const std::string folder = "/dev/serial/by-id/";
  for (const std::string& name : Entries(folder)) {
    if (RealPath(folder + name) == real) return folder + name;
  }
  return {};
}

// Serial programs take the advisory lock on the device, as Quarnet does; the kernel
// lists every lock with the device number and inode of the node it is on.
bool LockedByAProcess(const struct stat& node) {
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, pid, where;
    fields >> number >> kind >> mode >> access >> pid >> where;
    if (kind == "->") continue;  // a lock waited for
    unsigned major = 0, minor = 0;
    unsigned long inode = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%lu", &major, &minor, &inode) != 3) continue;
    if (major == ::major(node.st_dev) && minor == ::minor(node.st_dev) && inode == node.st_ino) return true;
  }
  return false;
}

bool LockedByLockFile(const std::string& tty) {
  struct stat info;
  return stat(("/var/lock/LCK.." + tty).c_str(), &info) == 0 || stat(("/run/lock/LCK.." + tty).c_str(), &info) == 0;
}

}  // namespace

std::vector<SurveyedPort> SurveyPorts() {
  std::vector<SurveyedPort> ports;
  for (int port = 1; port <= SearchedPorts; ++port) {
    String device = DevicePathForPort(port);
    if (device.Empty()) continue;
    std::string real = RealPath(std::string(device.View()));
    struct stat info;
    if (real.empty() || stat(real.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) continue;
    std::string tty = BaseName(real);
    if (NoUartFitted(tty)) continue;
    SurveyedPort surveyed{port, device, {}, {}, false, -1};
    surveyed.stableName = String::Copy(StableName(real));
    surveyed.driver = String::Copy(BaseName(RealPath("/sys/class/tty/" + tty + "/device/driver")));
    std::string latency = FirstLine("/sys/class/tty/" + tty + "/device/latency_timer");
    if (!latency.empty() && latency.find_first_not_of("0123456789") == std::string::npos) {
      surveyed.latencyMs = std::atoi(latency.c_str());
    }
    surveyed.inUse = LockedByLockFile(tty) || LockedByAProcess(info);
    ports.push_back(surveyed);
  }
  return ports;
}
