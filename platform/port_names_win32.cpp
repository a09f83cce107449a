// Where COM port n lives on Windows: the system names the ports itself, and port n is
// the device \\.\com<n>, the name that opens every COM port, COM10 and above included.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/port_names.h"
#include "runtime/program_state.h"

namespace {

constexpr std::string_view DeviceNamespace = "\\\\.\\";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != prefix[i]) return false;
  }
  return true;
}

// The n of "COM<n>" written as the system writes it, no sign, no leading zero.
int ComNumber(std::string_view name) {
  if (!StartsWithIgnoringCase(name, "COM")) return 0;
  std::string_view digits = name.substr(3);
  if (digits.empty() || digits.size() > 5 || digits[0] == '0') return 0;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  return number <= INT16_MAX ? number : 0;
}

}  // namespace

String DevicePathForPort(int port) {
  if (port == PathPortNumber) return PortPath;
  if (port <= 0 || port > INT16_MAX) return {};
  return String::Copy(std::string(DeviceNamespace) + "com" + std::to_string(port));
}

int PortForDevicePath(const String& path) {
  std::string_view name = path.View();
  if (name.substr(0, DeviceNamespace.size()) == DeviceNamespace) name.remove_prefix(DeviceNamespace.size());
  return ComNumber(name);
}
