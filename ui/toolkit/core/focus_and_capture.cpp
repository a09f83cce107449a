// Where a thread's input goes: its active top-level window, the window with the
// keyboard focus, the one that holds the mouse (the capture), and the keys held.
#include <utility>

#include "ui/toolkit/core/window_core.h"

void MoveActivation(ThreadQueue& queue, WindowHandle window) {
  WindowHandle old;
  {
    WindowGuard guard(WindowLock);
    old = queue.active;
    if (old == window) return;
    queue.active = window;
  }
  if (old != 0) SendMessage(old, WM_ACTIVATE, WA_INACTIVE, static_cast<LParam>(window));
  if (window != 0) SendMessage(window, WM_ACTIVATE, WA_ACTIVE, static_cast<LParam>(old));
}

void MoveFocus(ThreadQueue& queue, WindowHandle window) {
  WindowHandle old;
  {
    WindowGuard guard(WindowLock);
    old = queue.focus;
    if (old == window) return;
    queue.focus = window;
    if (window != 0) queue.active = TopLevelOf(window);
  }
  if (old != 0 && IsWindow(old)) SendMessage(old, WM_KILLFOCUS, window, 0);
  if (window != 0) SendMessage(window, WM_SETFOCUS, old, 0);
}

WindowHandle SetFocus(WindowHandle window) {
  ThreadQueue& queue = CurrentQueue();
  WindowHandle old;
  {
    WindowGuard guard(WindowLock);
    WindowRecord* record = FindWindow(window);
    if (window != 0 && (record == nullptr || !OwnedByCurrentThread(*record))) return 0;
    old = queue.focus;
  }
  MoveFocus(queue, window);
  return old;
}

WindowHandle GetFocus() {
  WindowGuard guard(WindowLock);
  return CurrentQueue().focus;
}

WindowHandle GetActiveWindow() {
  WindowGuard guard(WindowLock);
  return CurrentQueue().active;
}

bool SetForegroundWindow(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || !IsTopLevel(*record)) return false;
  Backend().RaiseTopLevel(window);
  return true;
}

WindowHandle SetCapture(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  ThreadQueue& queue = CurrentQueue();
  if (record == nullptr || !OwnedByCurrentThread(*record)) return 0;
  return std::exchange(queue.capture, window);
}

void ReleaseCapture() {
  WindowGuard guard(WindowLock);
  CurrentQueue().capture = 0;
}

WindowHandle GetCapture() {
  WindowGuard guard(WindowLock);
  return CurrentQueue().capture;
}

bool IsKeyDown(uint32_t virtualKey) {
  WindowGuard guard(WindowLock);
  uint32_t keys = CurrentQueue().keys;
  switch (virtualKey) {
    case VK_SHIFT: return keys & KeyShift;
    case VK_CONTROL: return keys & KeyControl;
    case VK_MENU: return keys & KeyAlt;
    case VK_LBUTTON: return keys & KeyLeftButton;
    case VK_MBUTTON: return keys & KeyMiddleButton;
    case VK_RBUTTON: return keys & KeyRightButton;
    default: return false;
  }
}
