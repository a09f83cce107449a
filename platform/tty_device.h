// A COM port on Linux: a tty in raw mode, used without blocking and held by this
// program alone. A second opener, another Quarnet or a terminal program, finds it
// busy, as the original platform's unshared open did.
#pragma once

#include <memory>

#include "link/serial_device.h"

class TtyDevice : public SerialDevice {
 public:
  // nullptr and LastPortError() when the device is absent, held or not a tty.
  static std::unique_ptr<TtyDevice> Open(const String& path);
  ~TtyDevice() override;
  TtyDevice(const TtyDevice&) = delete;
  TtyDevice& operator=(const TtyDevice&) = delete;

  bool Configure(const LineSettings& settings) override;
  void Purge() override;
  // Where the driver keeps no error counters (pseudo-terminals) there are none to report.
  uint32_t TakeLineErrors() override;
  int Read(uint8_t* buffer, int count) override;
  int Write(const uint8_t* bytes, int count) override;
  // A hang-up or a device error ends the waits too, so the next Read reports it.
  bool WaitForInput(uint32_t milliseconds) override;
  bool WaitForOutputRoom(uint32_t milliseconds) override;
  // Gives up after the line time of what is queued plus one second: a peer that holds
  // CTS off, or a pseudo-terminal whose other side does not read, never lets it empty.
  bool Drain() override;

 private:
  // The driver's error counters since it started; errors are the differences
  // between two readings.
  struct LineErrorCounts {
    int frame = 0;
    int overrun = 0;
    int parity = 0;
    int breaks = 0;
    int bufferOverrun = 0;
  };

  explicit TtyDevice(int descriptor);
  bool ReadLineErrorCounts(LineErrorCounts& counts);
  bool WaitFor(short events, uint32_t milliseconds);
  bool HungUp();
  bool TransmitterEmpty();

  int descriptor_;
  bool lowLatencySet_ = false;  // by this program, to be cleared at the close
  LineSettings settings_;
  LineErrorCounts counts_;
};

// The default opener of OpenSerialDevice: port n at DevicePathForPort(n).
std::unique_ptr<SerialDevice> OpenTtyDevice(int port);
