#include "runtime/virtual_clock.h"

#include <algorithm>

uint64_t VirtualClock::Now() {
  std::lock_guard guard(lock_);
  return now_;
}

void VirtualClock::Sleep(uint64_t microseconds) { AdvanceTo(Now() + microseconds); }

bool VirtualClock::RunsLater(const Event& a, const Event& b) {
  return a.when != b.when ? a.when > b.when : a.sequence > b.sequence;
}

void VirtualClock::AdvanceTo(uint64_t until) {
  std::unique_lock guard(lock_);
  while (!events_.empty() && events_.front().when <= until) {
    std::pop_heap(events_.begin(), events_.end(), RunsLater);
    Event event = std::move(events_.back());
    events_.pop_back();
    now_ = std::max(now_, event.when);
    event.run();
  }
  now_ = std::max(now_, until);
}

void VirtualClock::Schedule(uint64_t when, std::function<void()> event) {
  std::lock_guard guard(lock_);
  events_.push_back(Event{when, sequence_++, std::move(event)});
  std::push_heap(events_.begin(), events_.end(), RunsLater);
}

uint64_t VirtualClock::NextEventTime() {
  std::lock_guard guard(lock_);
  return events_.empty() ? UINT64_MAX : events_.front().when;
}
