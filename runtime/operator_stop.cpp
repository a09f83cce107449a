#include "runtime/operator_stop.h"

#include <algorithm>

#include "runtime/clock.h"
#include "runtime/program_state.h"

namespace {
String advice;
}  // namespace

void SetStopAdvice(const String& text) { advice = text; }

void ClearStopAdvice() { advice = String(); }

String StopMessage() {
  String message = "Stopped by the operator";
  if (!advice.Empty()) {
    message.Append(". ");
    message.Append(advice.View());
  }
  return message;
}

bool PauseUnlessStopped(uint32_t milliseconds) {
  uint32_t start = TickMilliseconds();
  for (;;) {
    if (ExitRequested) return false;
    uint32_t spent = TickMilliseconds() - start;
    if (spent >= milliseconds) return true;
    SleepMilliseconds(std::min(milliseconds - spent, StopPollMs));
  }
}
