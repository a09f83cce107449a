// What the fuzz targets of the link and of the layers above it share: LinkPort open
// on COM1 over a paced virtual line in virtual time, with the far end, the unit, in
// the target's hands. A fresh line and clock for every input, so that nothing one
// input scheduled reaches the next.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "link/link_speed.h"
#include "link/packet.h"
#include "link/port_control.h"
#include "link/virtual_line.h"
#include "runtime/clock.h"
#include "runtime/fuzz/fuzz_support.h"
#include "runtime/program_state.h"
#include "runtime/virtual_clock.h"

// CRC-16/MODBUS of our own, so that what a target checks does not lean on the code
// under test. A frame followed by its CRC, low byte first, gives 0.
inline uint16_t FuzzCrc(const uint8_t* bytes, size_t count) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

inline void AppendFuzzCrc(std::vector<uint8_t>& frame) {
  uint16_t crc = FuzzCrc(frame.data(), frame.size());
  frame.push_back(static_cast<uint8_t>(crc));
  frame.push_back(static_cast<uint8_t>(crc >> 8));
}

class FuzzLink {
 public:
  FuzzLink() {
    FuzzFolder();
    current_ = this;
    InstallClock(&clock);
    InstallSerialDeviceOpener(Open);
    PortNumber = 1;
    BaudRate = 19200;
    EvenParity = false;
    PacketTimeout = MediumPacketTimeout;
    SendPacketPos = RecvPacketFill = RecvPacketPos = 0;
    ResetPacketCache();
    ClearReceiveStaging();
    // The traces format every byte they show: they read the buffers too.
    DebugOn = DetailedDebugOn = true;
    ReportLevel = 1;
    ExitRequested = false;
    opened = OpenPort();
  }
  ~FuzzLink() {
    ClosePort();
    ClearReceiveStaging();
    InstallSerialDeviceOpener(nullptr);
    InstallClock(nullptr);
    current_ = nullptr;
  }
  FuzzLink(const FuzzLink&) = delete;
  FuzzLink& operator=(const FuzzLink&) = delete;

  VirtualLine::End& Unit() { return line.Peer(); }
  uint64_t NowMs() { return clock.Now() / 1000; }
  // The unit's bytes leave `delayMs` from now, at whatever speed the tool then uses.
  void UnitSends(std::vector<uint8_t> bytes, uint32_t delayMs) {
    VirtualLine::End* unit = &line.Peer();
    clock.Schedule(clock.Now() + uint64_t{delayMs} * 1000,
                   [unit, bytes = std::move(bytes)] { unit->Write(bytes.data(), static_cast<int>(bytes.size())); });
  }

  // The bytes leave `delayMs` from now at the tool's speed, as UnitSends does, but
  // kept here and counted out as time passes instead of one event on the clock each:
  // a reply longer than the packet buffer then costs no more than a short one.
  void UnitSendsBlock(const std::vector<uint8_t>& bytes, uint32_t delayMs) {
    block_.assign(bytes.begin(), bytes.end());
    blockTaken_ = 0;
    blockByteTime_ = VirtualLine::ByteTime(line.Tool().Settings().baud);
    blockAt_ = clock.Now() + uint64_t{delayMs} * 1000 + blockByteTime_;
  }

  VirtualClock clock;
  VirtualLine line{clock, true};
  bool opened = false;

 private:
  // The tool's end, whose speed and parity the unit follows, as a unit does that was
  // told of the change: every reply then reaches the readers as it was sent.
  class FollowedEnd : public SerialDevice {
   public:
    explicit FollowedEnd(FuzzLink& link) : link_(link), line_(link.line) {}
    bool Configure(const LineSettings& settings) override {
      line_.Peer().Configure(settings);
      return line_.Tool().Configure(settings);
    }
    void Purge() override { line_.Tool().Purge(); }
    uint32_t TakeLineErrors() override { return line_.Tool().TakeLineErrors(); }
    int Read(uint8_t* buffer, int count) override {
      int got = line_.Tool().Read(buffer, count);
      if (got < 0) return got;
      size_t more = std::min(static_cast<size_t>(count - got), link_.BlockArrived() - link_.blockTaken_);
      std::copy_n(link_.block_.begin() + static_cast<long>(link_.blockTaken_), more, buffer + got);
      link_.blockTaken_ += more;
      return got + static_cast<int>(more);
    }
    int Write(const uint8_t* bytes, int count) override { return line_.Tool().Write(bytes, count); }
    bool WaitForInput(uint32_t milliseconds) override {
      if (link_.blockTaken_ >= link_.block_.size()) return line_.Tool().WaitForInput(milliseconds);
      uint64_t now = link_.clock.Now();
      uint64_t next = link_.blockAt_ + link_.blockTaken_ * link_.blockByteTime_;
      if (next <= now) return true;
      if (next > now + uint64_t{milliseconds} * 1000) return line_.Tool().WaitForInput(milliseconds);
      if (line_.Tool().WaitForInput(static_cast<uint32_t>((next - now) / 1000))) return true;
      link_.clock.AdvanceTo(next);
      return true;
    }
    bool WaitForOutputRoom(uint32_t milliseconds) override { return line_.Tool().WaitForOutputRoom(milliseconds); }
    bool Drain() override { return line_.Tool().Drain(); }

   private:
    FuzzLink& link_;
    VirtualLine& line_;
  };

  static std::unique_ptr<SerialDevice> Open(int port) {
    if (port != 1 || current_ == nullptr) {
      SetLastPortError(PortNotPresent, 2);
      return nullptr;
    }
    return std::make_unique<FollowedEnd>(*current_);
  }

  // How many of the block's bytes have arrived by now.
  size_t BlockArrived() {
    uint64_t now = clock.Now();
    if (block_.empty() || now < blockAt_) return 0;
    return std::min<size_t>(block_.size(), (now - blockAt_) / blockByteTime_ + 1);
  }

  static inline FuzzLink* current_ = nullptr;
  std::vector<uint8_t> block_;
  size_t blockTaken_ = 0;
  uint64_t blockAt_ = 0;  // when its first byte has arrived
  uint64_t blockByteTime_ = 1;
};
