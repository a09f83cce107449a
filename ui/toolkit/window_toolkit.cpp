#include "ui/toolkit/window_toolkit.h"

#include "runtime/message_box.h"
#include "ui/toolkit/pel_window.h"

namespace {

// MB_TOPMOST and MB_TASKMODAL: the box comes before everything else at start-up.
constexpr int TopmostTaskModal = 0x42000;

}  // namespace

void InitialiseWindowToolkit() {
  StartWindowSystem();
  static bool registered = false;
  if (registered) return;
  registered = RegisterWindowClass({"PelWindow", PelWndProc, COLOR_WINDOW});
  if (!registered) ShowMessage("Call to RegisterClassEx failed!", "PelWindow", TopmostTaskModal);
}
