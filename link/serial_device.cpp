#include "link/serial_device.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/program_state.h"

namespace {

// Per thread, like the system's own last error: it belongs to the call that failed.
thread_local PortError lastError = PortOk;
thread_local int lastErrorNumber = 0;
thread_local std::string lastErrorText;  // empty: strerror words the number

SerialDeviceOpener installedOpener = nullptr;

}  // namespace

PortError LastPortError() { return lastError; }

int LastPortErrorNumber() { return lastErrorNumber; }

void SetLastPortError(PortError error, int systemErrorNumber) {
  lastError = error;
  lastErrorNumber = systemErrorNumber;
  lastErrorText.clear();
  // SystemErrorText() reads errno: left at this number, it words this failure.
  errno = systemErrorNumber;
}

void SetLastPortError(PortError error, int systemErrorNumber, std::string_view systemText) {
  SetLastPortError(error, systemErrorNumber);
  lastErrorText = systemText;
}

String PortName(int port) {
  if (port == PathPortNumber) return PortPath;
  return String::Copy("COM" + std::to_string(port));
}

std::unique_ptr<SerialDevice> OpenSerialDevice(int port) {
  if (installedOpener != nullptr) return installedOpener(port);
  SetLastPortError(PortNotPresent, ENOENT);
  return nullptr;
}

SerialDeviceOpener InstallSerialDeviceOpener(SerialDeviceOpener opener) {
  return std::exchange(installedOpener, opener);
}

String PortErrorText() {
  String text = "Error: ";
  text.Append(lastErrorText.empty() ? std::string_view(std::strerror(lastErrorNumber)) : lastErrorText);
  return text;
}
