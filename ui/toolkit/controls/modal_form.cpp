#include "ui/toolkit/controls/modal_form.h"

#include "runtime/clock.h"
#include "runtime/program_state.h"
#include "ui/toolkit/core/message_pump.h"

void RunModalLoop(PelWindow& owner, const bool& done) {
  PelEnable(owner, false);
  while (!done && !ExitRequested) {
    if (!PumpMessagesThrottled()) SleepMilliseconds(10);
  }
}

void ReleaseModalOwner(PelWindow& owner) {
  PelEnable(owner, true);
  PelSetFocus(owner);
}
