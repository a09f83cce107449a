#include "sim/pty_server.h"

#include <algorithm>
#include <chrono>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include "link/virtual_line.h"

PseudoTerminalLine::PseudoTerminalLine(PseudoTerminal& terminal, VirtualClock& clock)
    : terminal_(terminal), clock_(clock) {}

uint8_t PseudoTerminalLine::Garble(uint8_t byte) {
  // The receiver samples the bits at its own rate: some byte arrives, but not this one.
  garbageSeed_ = garbageSeed_ * 1103515245u + 12345u + byte;
  return static_cast<uint8_t>(garbageSeed_ >> 16);
}

void PseudoTerminalLine::TakeInput() {
  uint8_t buffer[4096];
  // -1: nobody holds the port open just now (the PC reopens it to change speed).
  int count = terminal_.Read(buffer, sizeof buffer);
  if (count <= 0) return;
  LineSettings sentWith = terminal_.SlaveSettings();
  uint64_t byteTime = VirtualLine::ByteTime(sentWith.baud);
  for (int i = 0; i < count; ++i) {
    inputFreeAt_ = std::max(clock_.Now(), inputFreeAt_) + byteTime;
    uint8_t byte = buffer[i];
    clock_.Schedule(inputFreeAt_, [this, byte, sentWith] { Arrive(byte, sentWith); });
  }
}

void PseudoTerminalLine::Arrive(uint8_t byte, const LineSettings& sentWith) {
  if (!SameFraming(sentWith, listening_)) byte = Garble(byte);
  if (onByte) onByte(byte);
}

void PseudoTerminalLine::Send(const Bytes& bytes) {
  uint64_t byteTime = VirtualLine::ByteTime(listening_.baud);
  for (uint8_t byte : bytes) {
    outputFreeAt_ = std::max(clock_.Now(), outputFreeAt_) + byteTime;
    clock_.Schedule(outputFreeAt_, [this, byte, sentWith = listening_] { Leave(byte, sentWith); });
  }
}

void PseudoTerminalLine::Leave(uint8_t byte, const LineSettings& sentWith) {
  if (!terminal_.Ready()) return;
  if (!SameFraming(sentWith, terminal_.SlaveSettings())) byte = Garble(byte);
  // A byte the PC has no room for, or one sent while nobody holds the port open, is
  // lost, as on a wire.
  [[maybe_unused]] ssize_t written = write(terminal_.Master(), &byte, 1);
}

void PseudoTerminalLine::Vanish() { terminal_.Close(); }

void ServeInRealTime(PseudoTerminalLine& line, VirtualClock& clock, const volatile std::sig_atomic_t& stop,
                     uint32_t speedup, const std::function<void()>& eachTurn) {
  using namespace std::chrono;
  auto start = steady_clock::now();
  auto elapsed = [start, speedup] {
    return speedup * static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now() - start).count());
  };
  // Signals end the waits early; the longest wait bounds how late a stop is noticed otherwise.
  constexpr uint64_t LongestWait = 50'000;
  while (!stop && !line.Vanished()) {
    eachTurn();
    clock.AdvanceTo(elapsed());
    uint64_t now = clock.Now();
    uint64_t next = clock.NextEventTime();
    uint64_t wait = std::min(next > now ? (next - now + speedup - 1) / speedup : 0, LongestWait);
    timespec timeout{static_cast<time_t>(wait / 1'000'000), static_cast<long>(wait % 1'000'000 * 1000)};
    pollfd request{line.Descriptor(), POLLIN, 0};
    int ready = ppoll(&request, 1, &timeout, nullptr);
    clock.AdvanceTo(elapsed());
    if (ready > 0 && (request.revents & POLLIN)) {
      line.TakeInput();
    } else if (ready > 0) {
      // Hung up: nobody holds the port open, and the terminal would wake us at once.
      // Look again soon: the PC reopens the port within milliseconds to change speed.
      timespec pause{0, static_cast<long>(std::min<uint64_t>(wait, 5000) * 1000)};
      nanosleep(&pause, nullptr);
    }
  }
}
