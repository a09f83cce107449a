// A serial line in memory for tests and the in-process simulator: two ends joined,
// bytes delivered in virtual time. With pacing, each byte takes its line time at the
// sender's speed (11 bit times: start, 8 data, parity or stop, stop), so exchanges
// cost what they would on a wire. Bytes sent at one speed and parity and received at
// another arrive as garbage with a framing error, as on a real line.
//
// Everything runs on the thread that moves the virtual clock.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "link/serial_device.h"
#include "runtime/virtual_clock.h"

class VirtualLine {
 public:
  class End : public SerialDevice {
   public:
    bool Configure(const LineSettings& settings) override;
    void Purge() override;
    uint32_t TakeLineErrors() override;
    int Read(uint8_t* buffer, int count) override;
    int Write(const uint8_t* bytes, int count) override;
    bool WaitForInput(uint32_t milliseconds) override;
    bool WaitForOutputRoom(uint32_t milliseconds) override;
    bool Drain() override;

    const LineSettings& Settings() const { return settings_; }
    int Available() const { return static_cast<int>(input_.size()); }
    // Called whenever bytes arrive at this end (the simulated unit listens this way).
    std::function<void()> onReceive;

   private:
    friend class VirtualLine;
    // A byte on its way to the other end; one clock event per byte brings the first.
    struct InFlight {
      uint8_t byte;
      uint32_t purges;
      LineSettings sentWith;
    };
    void Arrive();

    VirtualLine* line_ = nullptr;
    End* other_ = nullptr;
    LineSettings settings_;
    std::deque<uint8_t> input_;
    uint64_t lineFreeAt_ = 0;  // when the last byte sent from this end has arrived
    uint32_t purges_ = 0;      // bytes sent before a purge never arrive
    std::deque<InFlight> inFlight_;
    uint32_t lineErrors_ = 0;
    uint32_t garbageSeed_ = 0x2545F491;
    bool broken_ = false;
  };

  VirtualLine(VirtualClock& clock, bool paced);
  VirtualLine(const VirtualLine&) = delete;
  VirtualLine& operator=(const VirtualLine&) = delete;

  End& Tool() { return tool_; }
  End& Peer() { return peer_; }
  VirtualClock& Clock() { return clock_; }
  // The tool's end vanishes, as an unplugged adapter does: its reads fail from now on.
  void Unplug() { tool_.broken_ = true; }
  // Microseconds one byte takes at a speed.
  static uint64_t ByteTime(uint32_t baud);

 private:
  void Deliver(End& to, const LineSettings& sentWith, uint8_t byte);

  VirtualClock& clock_;
  bool paced_;
  End tool_;
  End peer_;
};

// Makes COM port `port` the tool's end of `line` for OpenSerialDevice; while any line
// is attached, ports without one are not present. A second open of a port while one
// is open is "in use". nullptr removes the port's line.
void AttachVirtualLine(int port, VirtualLine* line);
