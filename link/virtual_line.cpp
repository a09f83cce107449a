#include "link/virtual_line.h"

#include <algorithm>
#include <cerrno>
#include <map>

#include "runtime/operator_stop.h"
#include "runtime/program_state.h"

namespace {

bool SameFraming(const LineSettings& a, const LineSettings& b) {
  return a.baud == b.baud && a.parityOn == b.parityOn && (!a.parityOn || a.even == b.even);
}

}  // namespace

VirtualLine::VirtualLine(VirtualClock& clock, bool paced) : clock_(clock), paced_(paced) {
  tool_.line_ = peer_.line_ = this;
  tool_.other_ = &peer_;
  peer_.other_ = &tool_;
}

uint64_t VirtualLine::ByteTime(uint32_t baud) {
  return (11'000'000ull + std::max<uint32_t>(baud, 1) - 1) / std::max<uint32_t>(baud, 1);
}

void VirtualLine::Deliver(End& to, const LineSettings& sentWith, uint8_t byte) {
  if (!SameFraming(sentWith, to.settings_)) {
    // The receiver samples the bits at its own rate: some byte arrives, but not this one.
    to.garbageSeed_ = to.garbageSeed_ * 1103515245u + 12345u + byte;
    byte = static_cast<uint8_t>(to.garbageSeed_ >> 16);
    to.lineErrors_ |= LineFramingError;
  }
  to.input_.push_back(byte);
  if (to.onReceive) to.onReceive();
}

bool VirtualLine::End::Configure(const LineSettings& settings) {
  settings_ = settings;
  return true;
}

// As a UART's purge does, the bytes still waiting to go out are dropped too.
void VirtualLine::End::Purge() {
  input_.clear();
  ++purges_;
  lineFreeAt_ = std::min(lineFreeAt_, line_->clock_.Now());
}

uint32_t VirtualLine::End::TakeLineErrors() {
  uint32_t errors = lineErrors_;
  lineErrors_ = 0;
  return errors;
}

int VirtualLine::End::Read(uint8_t* buffer, int count) {
  if (broken_) {
    SetLastPortError(PortOtherError, EIO);  // the device is gone
    return -1;
  }
  int taken = std::min(count, Available());
  std::copy_n(input_.begin(), taken, buffer);
  input_.erase(input_.begin(), input_.begin() + taken);
  return taken;
}

int VirtualLine::End::Write(const uint8_t* bytes, int count) {
  if (broken_) {
    SetLastPortError(PortOtherError, EIO);
    return -1;
  }
  VirtualClock& clock = line_->clock_;
  uint64_t departure = std::max(clock.Now(), lineFreeAt_);
  uint64_t byteTime = line_->paced_ ? VirtualLine::ByteTime(settings_.baud) : 0;
  for (int i = 0; i < count; ++i) {
    departure += byteTime;
    inFlight_.push_back(InFlight{bytes[i], purges_, settings_});
    // Small enough to travel without an allocation of its own: a long update sends
    // millions of bytes.
    clock.Schedule(departure, [this] { Arrive(); });
  }
  lineFreeAt_ = departure;
  return count;
}

// The events of one end run in the order they were scheduled, which is the order of
// its bytes.
void VirtualLine::End::Arrive() {
  InFlight arriving = inFlight_.front();
  inFlight_.pop_front();
  if (arriving.purges == purges_) line_->Deliver(*other_, arriving.sentWith, arriving.byte);
}

bool VirtualLine::End::WaitForInput(uint32_t milliseconds) {
  VirtualClock& clock = line_->clock_;
  uint64_t deadline = clock.Now() + uint64_t{milliseconds} * 1000;
  while (input_.empty() && !broken_) {
    uint64_t next = clock.NextEventTime();
    if (next > deadline) {
      clock.AdvanceTo(deadline);
      break;
    }
    clock.AdvanceTo(next);
  }
  return !input_.empty() || broken_;
}

// The line takes everything at once; the bytes then travel in their own time.
bool VirtualLine::End::WaitForOutputRoom(uint32_t) { return true; }

bool VirtualLine::End::Drain() {
  VirtualClock& clock = line_->clock_;
  while (clock.Now() < lineFreeAt_) {
    if (ExitRequested) return false;
    clock.AdvanceTo(std::min(lineFreeAt_, clock.Now() + uint64_t{StopPollMs} * 1000));
  }
  return !broken_;
}

namespace {

struct Attachment {
  VirtualLine* line;
  bool open;
};
std::map<int, Attachment> attached;

// The handle the driver owns; closing it frees the port for the next open.
class VirtualPortHandle : public SerialDevice {
 public:
  VirtualPortHandle(Attachment& attachment) : attachment_(attachment), end_(attachment.line->Tool()) {
    attachment_.open = true;
  }
  ~VirtualPortHandle() override { attachment_.open = false; }
  bool Configure(const LineSettings& settings) override { return end_.Configure(settings); }
  void Purge() override { end_.Purge(); }
  uint32_t TakeLineErrors() override { return end_.TakeLineErrors(); }
  int Read(uint8_t* buffer, int count) override { return end_.Read(buffer, count); }
  int Write(const uint8_t* bytes, int count) override { return end_.Write(bytes, count); }
  bool WaitForInput(uint32_t milliseconds) override { return end_.WaitForInput(milliseconds); }
  bool WaitForOutputRoom(uint32_t milliseconds) override { return end_.WaitForOutputRoom(milliseconds); }
  bool Drain() override { return end_.Drain(); }

 private:
  Attachment& attachment_;
  VirtualLine::End& end_;
};

std::unique_ptr<SerialDevice> OpenVirtualPort(int port) {
  auto found = attached.find(port);
  if (found == attached.end()) {
    SetLastPortError(PortNotPresent, ENOENT);
    return nullptr;
  }
  if (found->second.open) {
    SetLastPortError(PortInUse, EBUSY);
    return nullptr;
  }
  return std::make_unique<VirtualPortHandle>(found->second);
}

}  // namespace

void AttachVirtualLine(int port, VirtualLine* line) {
  // The opener in place before the first line came (the ttys in the demo) returns with
  // the last line's going.
  static SerialDeviceOpener before = nullptr;
  bool wasEmpty = attached.empty();
  if (line != nullptr) attached[port] = Attachment{line, false};
  else attached.erase(port);
  if (wasEmpty && !attached.empty()) before = InstallSerialDeviceOpener(OpenVirtualPort);
  if (!wasEmpty && attached.empty()) InstallSerialDeviceOpener(before);
}
