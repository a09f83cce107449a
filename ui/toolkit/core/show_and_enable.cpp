// Showing and hiding, enabling and disabling windows: the pictures to make anew, and
// the focus and activation a hidden or disabled window gives up.
#include "ui/toolkit/core/window_core.h"

bool ShowWindow(WindowHandle window, int command) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return false;
  bool wasVisible = (record->style & WS_VISIBLE) != 0;
  bool show = command != SW_HIDE;
  bool ownThread = OwnedByCurrentThread(*record);
  bool topLevel = IsTopLevel(*record);
  ThreadQueue* queue = record->queue;
  if (show) record->style |= WS_VISIBLE;
  else record->style &= ~WS_VISIBLE;
  if (show && !wasVisible) InvalidateTree(window, true);
  SyncTopLevel(window);
  Backend().Redraw(TopLevelOf(window));
  bool activate = topLevel && (command == SW_SHOWNORMAL || command == SW_SHOW || command == SW_RESTORE);
  if (activate) Backend().RaiseTopLevel(window);
  bool loseFocus = !show && ownThread && queue->focus != 0 && IsWithin(queue->focus, window);
  bool deactivate = !show && ownThread && queue->active == window;
  guard.unlock();

  if (loseFocus) MoveFocus(*queue, 0);
  if (deactivate) MoveActivation(*queue, 0);
  if (activate) {
    if (ownThread) MoveActivation(*queue, window);
    else PostMessage(window, WM_ACTIVATE, WA_ACTIVE, 0);
  }
  return wasVisible;
}

bool IsWindowVisible(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  return record != nullptr && VisibleChain(*record);
}

bool EnableWindow(WindowHandle window, bool enable) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return false;
  bool wasDisabled = (record->style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled;
  if (enable) record->style &= ~WS_DISABLED;
  else record->style |= WS_DISABLED;
  InvalidateTree(window, false);
  Backend().Redraw(TopLevelOf(window));
  ThreadQueue* queue = record->queue;
  bool loseFocus = !enable && OwnedByCurrentThread(*record) && queue->focus != 0 && IsWithin(queue->focus, window);
  guard.unlock();
  if (loseFocus) MoveFocus(*queue, 0);
  SendMessage(window, WM_ENABLE, enable, 0);
  return wasDisabled;
}

bool IsWindowEnabled(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  return record != nullptr && !(record->style & WS_DISABLED);
}
