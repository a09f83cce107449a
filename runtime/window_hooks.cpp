#include "runtime/window_hooks.h"

void (*ProgressTickHook)() = nullptr;
bool (*PumpMessagesHook)() = nullptr;

void ProgressTick() {
  if (ProgressTickHook != nullptr) ProgressTickHook();
}

bool PumpWindowMessages() { return PumpMessagesHook != nullptr && PumpMessagesHook(); }
