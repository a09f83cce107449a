// Time for the whole program. Every wait, time-out and time stamp goes through the
// program's Clock, so tests run the real code on virtual time: a one-minute
// time-out then costs no real time at all.
#pragma once

#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  // Monotonic microseconds from an arbitrary start.
  virtual uint64_t Now() = 0;
  virtual void Sleep(uint64_t microseconds) = 0;
};

// The steady system clock and real sleeps.
class RealClock : public Clock {
 public:
  uint64_t Now() override;
  void Sleep(uint64_t microseconds) override;
};

// The clock every part of the program uses; the real clock until a test installs another.
Clock& TheClock();
// nullptr restores the real clock. The trace clock starts again on the new clock.
void InstallClock(Clock* clock);

// The trace clock. Starting it makes Microseconds() count from zero.
void StartTraceClock();
// Microseconds since the trace clock started; wraps after 2^32 (about 71.6 minutes).
uint32_t Microseconds();
// Microseconds summed over every reading, modulo 1,843,200,000; time stamps of
// traces and of the standard-error stream.
uint32_t AccumulatedClock();
bool TimeUp(uint32_t start, uint32_t duration);
uint32_t Elapsed(uint32_t start);
// Microseconds since mark; mark becomes now.
uint32_t Lap(uint32_t& mark);

// Milliseconds since the trace clock started, wrapping at 2^32 like a system tick count.
uint32_t TickMilliseconds();
void SleepMilliseconds(uint32_t milliseconds);
