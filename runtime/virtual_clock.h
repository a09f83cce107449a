// Virtual time for tests: time moves only when someone sleeps or advances it, and
// events scheduled by simulated peers run at their moment, in time order, on the
// thread that moves time. A sleep of a minute returns at once.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

#include "runtime/clock.h"

class VirtualClock : public Clock {
 public:
  uint64_t Now() override;
  void Sleep(uint64_t microseconds) override;

  // Moves time to `until`, running every event due by then.
  void AdvanceTo(uint64_t until);
  // Runs `event` when time reaches `when` (at once on the next move if it has passed).
  void Schedule(uint64_t when, std::function<void()> event);
  // The time of the earliest pending event, or UINT64_MAX when none is pending.
  uint64_t NextEventTime();

 private:
  std::recursive_mutex lock_;
  uint64_t now_ = 0;
  uint64_t sequence_ = 0;
  // Keyed by time, then by order of scheduling, so equal times run first-come first-served.
  std::map<std::pair<uint64_t, uint64_t>, std::function<void()>> events_;
};
