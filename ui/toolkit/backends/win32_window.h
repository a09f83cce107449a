// A top-level window on the desktop, on the GUI thread: painted from the composed
// picture of its window-system window, its input delivered to the owner thread.
#pragma once

#include "ui/toolkit/backends/win32_desktop.h"
#include "ui/toolkit/backends/win32_windows.h"

// What all the GUI thread's windows share.
struct WindowLook {
  // The blinking caret is in its visible phase.
  bool caretOn = true;
  bool waitCursor = false;
};

class NativeWindow {
 public:
  // False when the window class cannot be registered.
  static bool RegisterWindowClass();
  static void UnregisterWindowClass();

  NativeWindow(WindowHandle window, const NativeWindowState& state, HWND owner, const WindowLook& look);
  ~NativeWindow();
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  // Brings the window to the state the window system gave.
  void Apply(const NativeWindowState& state);
  void Raise();
  void Redraw();
  bool ShowsCaret() const { return showsCaret_; }
  HWND Window() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void MinMax(MINMAXINFO& info) const;
  void Moved();
  void Mouse(UINT message, WPARAM wParam, LPARAM lParam);
  void Key(bool down, WPARAM virtualKey);
  void Deliver(UINT message, WPARAM wParam, LPARAM lParam, uint32_t character = 0);
  // The outer rectangle of a client area with the window's frame.
  RECT Outer(const Rect& client) const;

  HWND hwnd_ = nullptr;
  WindowHandle window_;
  const WindowLook& look_;
  NativeWindowState state_;
  // Set while the window system moves the window: no delivery back.
  bool applying_ = false;
  // The client area last delivered or applied.
  Rect placed_;
  bool showsCaret_ = false;
};
