// The serial device under the comm port driver: one open port, whatever it is. The
// driver's logic (write queue, ring, time limits, traces) runs on this interface, so
// the same code drives a Linux tty and the virtual line of the tests.
//
// Every call returns at once except the waits, which give up after their limit and
// measure it on the program's clock.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "runtime/string.h"

struct LineSettings {
  uint32_t baud = 9600;
  int stopBitCode = 2;  // 1: one stop bit; anything else: two
  bool parityOn = false;
  bool even = false;
  bool ctsFlow = false;
};

// Line errors since they were last taken.
inline constexpr uint32_t LineFramingError = 0x01;
inline constexpr uint32_t LineOverrun = 0x02;
inline constexpr uint32_t LineParityError = 0x04;
inline constexpr uint32_t LineBreak = 0x08;
inline constexpr uint32_t LineOtherError = 0x10;

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;
  // False when the device refuses the settings (a speed it cannot run at gives
  // PortInvalidParameter in LastPortError()).
  virtual bool Configure(const LineSettings& settings) = 0;
  // Drops what is waiting in both directions.
  virtual void Purge() = 0;
  virtual uint32_t TakeLineErrors() = 0;
  // What has arrived, up to count bytes; 0 when nothing has; -1 when the device failed.
  virtual int Read(uint8_t* buffer, int count) = 0;
  // As many bytes as the device accepts now; -1 when it failed.
  virtual int Write(const uint8_t* bytes, int count) = 0;
  // Wait until input is there or the device can accept output; true when it is.
  virtual bool WaitForInput(uint32_t milliseconds) = 0;
  virtual bool WaitForOutputRoom(uint32_t milliseconds) = 0;
  // Wait until every accepted byte has left; false when they did not in their line
  // time, or a stop (ExitRequested) came first.
  virtual bool Drain() = 0;
};

// Why an open or a settings change failed, in the terms the operator's messages use.
enum PortError : int {
  PortOk = 0,
  PortNotPresent = 2,
  PortAccessDenied = 5,
  PortInUse = 32,
  PortInvalidParameter = 87,
  PortOtherError = -1,
  // The user may not open the device (EACCES, EPERM): on Linux a tty's mode keeps
  // serial ports to a group, and no retry will change that.
  PortPermissionDenied = -2,
};

// The error of the last failing device operation, and the system's text for it.
PortError LastPortError();
int LastPortErrorNumber();  // the system's own error number
void SetLastPortError(PortError error, int systemErrorNumber);
// As above, with the system's own wording of the failure taken where it happened:
// Windows numbers its errors apart from the C library, whose strerror cannot word them.
void SetLastPortError(PortError error, int systemErrorNumber, std::string_view systemText);
// "Error: " and the system's text for LastPortErrorNumber().
String PortErrorText();

// How messages name port `port`: "COM3", or for PathPortNumber the device path the
// command line named.
String PortName(int port);

// Opens COM port `port`. nullptr and LastPortError() on failure.
using SerialDeviceOpener = std::unique_ptr<SerialDevice> (*)(int port);
std::unique_ptr<SerialDevice> OpenSerialDevice(int port);
// The program installs its COM ports (OpenComPort, platform/serial_port.h); tests and
// the demo put the virtual line in their place. Without an opener every port is not
// present. Returns the opener it replaces, so that a test can put it back.
SerialDeviceOpener InstallSerialDeviceOpener(SerialDeviceOpener opener);
