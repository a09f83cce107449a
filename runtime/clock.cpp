#include "runtime/clock.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

RealClock realClock;
std::atomic<Clock*> installedClock{&realClock};

std::mutex traceClockLock;
uint64_t traceStart = 0;
uint64_t accumulatedLastReading = 0;
uint32_t accumulated = 0;
constexpr uint32_t AccumulatedModulus = 1'843'200'000;

}  // namespace

uint64_t RealClock::Now() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::Sleep(uint64_t microseconds) {
  std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

Clock& TheClock() { return *installedClock.load(); }

void InstallClock(Clock* clock) {
  installedClock.store(clock != nullptr ? clock : &realClock);
  // Readings of two clocks do not compare, so the trace clock starts again on the new one.
  StartTraceClock();
}

void StartTraceClock() {
  std::lock_guard guard(traceClockLock);
  traceStart = TheClock().Now();
  accumulatedLastReading = traceStart;
  accumulated = 0;
}

uint32_t Microseconds() {
  std::lock_guard guard(traceClockLock);
  return static_cast<uint32_t>(TheClock().Now() - traceStart);
}

uint32_t AccumulatedClock() {
  std::lock_guard guard(traceClockLock);
  uint64_t now = TheClock().Now();
  // A clock installed after the start may read below the last reading: count nothing then.
  uint64_t passed = now > accumulatedLastReading ? now - accumulatedLastReading : 0;
  accumulatedLastReading = now;
  accumulated = static_cast<uint32_t>((accumulated + passed) % AccumulatedModulus);
  return accumulated;
}

bool TimeUp(uint32_t start, uint32_t duration) { return Microseconds() - start >= duration; }

uint32_t Elapsed(uint32_t start) { return Microseconds() - start; }

uint32_t Lap(uint32_t& mark) {
  uint32_t now = Microseconds();
  uint32_t lap = now - mark;
  mark = now;
  return lap;
}

uint32_t TickMilliseconds() {
  std::lock_guard guard(traceClockLock);
  return static_cast<uint32_t>((TheClock().Now() - traceStart) / 1000);
}

void SleepMilliseconds(uint32_t milliseconds) { TheClock().Sleep(uint64_t{milliseconds} * 1000); }
