// Virtual time for tests: time moves only when someone sleeps or advances it, and
// events scheduled by simulated peers run at their moment, in time order, on the
// thread that moves time. A sleep of a minute returns at once.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

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
  struct Event {
    uint64_t when;
    uint64_t sequence;  // equal times run first-come first-served
    std::function<void()> run;
  };
  static bool RunsLater(const Event& a, const Event& b);
  // A heap with the earliest event at the front: no allocation per event, of which a
  // simulated line schedules one per byte.
  std::vector<Event> events_;
};
