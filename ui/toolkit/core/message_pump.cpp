#include "ui/toolkit/core/message_pump.h"

#include <atomic>
#include <mutex>

#include "runtime/clock.h"
#include "runtime/console_buffer.h"
#include "runtime/program_state.h"
#include "ui/toolkit/core/dialog_keys.h"
#include "ui/toolkit/core/window_backend.h"
#include "ui/toolkit/core/window_system.h"

namespace {

constexpr uint64_t ThrottleMicroseconds = 1000;

std::atomic<bool> throttledDispatched{false};

bool ConsoleHoldsOutput() {
  std::lock_guard guard(ConsoleLock);
  return Console.paused || Console.selecting;
}

}  // namespace

bool PumpMessages() {
  bool dispatched = false;
  Message message;
  while (!ExitRequested && PeekMessage(message, true)) {
    if (HandleDialogKey(message)) continue;
    TranslateMessage(message);
    DispatchMessage(message);
    dispatched = true;
  }
  return dispatched;
}

bool PumpMessagesThrottled() {
  thread_local bool pumpedBefore = false;
  thread_local uint64_t lastPump = 0;
  bool dispatched = false;
  while (!ExitRequested) {
    bool held = ConsoleHoldsOutput();
    uint64_t now = TheClock().Now();
    if (!held && pumpedBefore && now >= lastPump && now - lastPump <= ThrottleMicroseconds) break;
    if (PumpMessages()) {
      dispatched = true;
      throttledDispatched = true;
    }
    lastPump = TheClock().Now();
    pumpedBefore = true;
    // Held by the operator: wait for the pause to end without spinning a core.
    if (held) SleepMilliseconds(1);
  }
  return dispatched;
}

bool ThrottledPumpHasDispatched() { return throttledDispatched; }

void PumpWhileWaiting() {
  Message message;
  while (PeekMessage(message, true)) {
    if (message.message == WM_QUIT) {
      // The loop that waits for WM_QUIT is further out: it must still see it.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (HandleDialogKey(message)) continue;
    TranslateMessage(message);
    DispatchMessage(message);
  }
  SleepMilliseconds(10);
}
