#include "runtime/virtual_clock.h"

#include <algorithm>

uint64_t VirtualClock::Now() {
  std::lock_guard guard(lock_);
  return now_;
}

void VirtualClock::Sleep(uint64_t microseconds) { AdvanceTo(Now() + microseconds); }

void VirtualClock::AdvanceTo(uint64_t until) {
  std::unique_lock guard(lock_);
  while (!events_.empty() && events_.begin()->first.first <= until) {
    auto first = events_.begin();
    now_ = std::max(now_, first->first.first);
    std::function<void()> event = std::move(first->second);
    events_.erase(first);
    event();
  }
  now_ = std::max(now_, until);
}

void VirtualClock::Schedule(uint64_t when, std::function<void()> event) {
  std::lock_guard guard(lock_);
  events_.emplace(std::make_pair(when, sequence_++), std::move(event));
}

uint64_t VirtualClock::NextEventTime() {
  std::lock_guard guard(lock_);
  return events_.empty() ? UINT64_MAX : events_.begin()->first.first;
}
