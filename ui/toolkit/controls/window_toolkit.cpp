#include "ui/toolkit/controls/window_toolkit.h"

#include "runtime/message_box.h"
#include "runtime/window_hooks.h"
#include "ui/toolkit/controls/pel_window.h"
#include "ui/toolkit/controls/progress_window.h"
#include "ui/toolkit/controls/system_controls.h"
#include "ui/toolkit/core/message_pump.h"

namespace {

// MB_TOPMOST and MB_TASKMODAL: the box comes before everything else at start-up.
constexpr int TopmostTaskModal = 0x42000;

}  // namespace

void InitialiseWindowToolkit() {
  StartWindowSystem();
  RegisterSystemControlClasses();
  ProgressTickHook = StepProgressWindow;
  PumpMessagesHook = PumpMessagesThrottled;
  static bool registered = false;
  if (registered) return;
  registered = RegisterWindowClass({"PelWindow", PelWndProc, COLOR_WINDOW});
  if (!registered) ShowMessage("Call to RegisterClassEx failed!", "PelWindow", TopmostTaskModal);
}
