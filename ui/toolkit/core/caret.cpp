// The thread's one caret: the window it blinks in, its size and place, shown or hidden.
#include "ui/toolkit/core/window_core.h"

namespace {

// The caret changed: its window's top level shows it anew.
bool CaretChanged(const Caret& caret) {
  if (caret.window != 0) Backend().Redraw(TopLevelOf(caret.window));
  return true;
}

}  // namespace

bool CreateCaret(WindowHandle window, int width, int height) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || !OwnedByCurrentThread(*record)) return false;
  Caret& caret = CurrentQueue().caret;
  CaretChanged(caret);
  caret = Caret{window, {width, height}, {0, 0}, 1};
  return true;
}

bool DestroyCaret() {
  WindowGuard guard(WindowLock);
  Caret& caret = CurrentQueue().caret;
  if (caret.window == 0) return false;
  CaretChanged(caret);
  caret = Caret{};
  return true;
}

bool ShowCaret(WindowHandle window) {
  WindowGuard guard(WindowLock);
  Caret& caret = CurrentQueue().caret;
  if (caret.window == 0 || (window != 0 && window != caret.window)) return false;
  if (caret.hideCount > 0) --caret.hideCount;
  return CaretChanged(caret);
}

bool HideCaret(WindowHandle window) {
  WindowGuard guard(WindowLock);
  Caret& caret = CurrentQueue().caret;
  if (caret.window == 0 || (window != 0 && window != caret.window)) return false;
  ++caret.hideCount;
  return CaretChanged(caret);
}

bool SetCaretPosition(int x, int y) {
  WindowGuard guard(WindowLock);
  Caret& caret = CurrentQueue().caret;
  if (caret.window == 0) return false;
  caret.position = {x, y};
  return CaretChanged(caret);
}
