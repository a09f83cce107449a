// The serial ports of a Windows PC as the system lists them: every port driver enters
// its ports in the registry's SERIALCOMM map (value name its device, such as
// \Device\Serial0 or \Device\VCP0; value data the port, COM3), removed when the device
// goes. Reading the map opens no port and touches no line.
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/port_names.h"
#include "platform/port_survey.h"

namespace {

// UTF-16 registry text to the program's UTF-8.
std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                 nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

// The driver's name as its device names show it: \Device\VCP0 (FTDI's driver) gives
// VCP, \Device\Serial1 (the system's own UART driver) Serial, \Device\USBSER000 USBSER.
std::string DriverOfDevice(std::string_view device) {
  device.remove_prefix(std::min(device.size(), device.rfind('\\') + 1));
  while (!device.empty() && device.back() >= '0' && device.back() <= '9') device.remove_suffix(1);
  return std::string(device);
}

SurveyedPort Surveyed(int port, const std::string& device) {
  // Whether another program holds a port shows only by opening it, which looking must not.
  return SurveyedPort{port, DevicePathForPort(port), {}, String::Copy(DriverOfDevice(device)), false, -1};
}

}  // namespace

std::vector<SurveyedPort> SurveyPorts() {
  std::vector<SurveyedPort> ports;
  HKEY map = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &map) !=
      ERROR_SUCCESS) {
    return ports;  // no port driver has started: no ports
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    wchar_t data[64];
    DWORD nameLength = static_cast<DWORD>(std::size(name));
    DWORD dataBytes = sizeof data - sizeof(wchar_t);  // room for a missing terminator
    DWORD type = 0;
    LONG result = RegEnumValueW(map, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                &dataBytes);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;  // ERROR_MORE_DATA: no port name is that long
    std::wstring_view port(data, dataBytes / sizeof(wchar_t));
    while (!port.empty() && port.back() == L'\0') port.remove_suffix(1);
    int number = PortForDevicePath(String::Copy(Utf8(port)));
    if (number >= 1 && number <= SearchedPorts) ports.push_back(Surveyed(number, Utf8({name, nameLength})));
  }
  RegCloseKey(map);
  std::sort(ports.begin(), ports.end(),
            [](const SurveyedPort& a, const SurveyedPort& b) { return a.port < b.port; });
  return ports;
}
