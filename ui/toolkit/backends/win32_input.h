// What the GUI thread's windows hand the window system (win32_input.cpp is on its
// side): the operator's input as deliveries, and the picture to show. The types are
// plain, for the window procedure's file includes windows.h (win32_windows.h says why
// the two never meet).
#pragma once

#include <cstdint>

#include "ui/toolkit/core/drawing.h"

struct WindowInput {
  // WM_MOUSEMOVE, the button messages, WM_MOUSEWHEEL, WM_KEYDOWN, WM_KEYUP, WM_CHAR,
  // WM_SETFOCUS, WM_KILLFOCUS, WM_CLOSE: the window system's numbers are the Win32 ones.
  uint32_t message = 0;
  uintptr_t wParam = 0;
  // A mouse message's point, in the client area (the wheel's too).
  intptr_t lParam = 0;
  // WM_KEYDOWN: the character the key types (0: none).
  uint32_t character = 0;
  // MK_SHIFT, MK_CONTROL, MK_LBUTTON, MK_MBUTTON, MK_RBUTTON as held, and the Alt key.
  uint32_t held = 0;
  bool alt = false;
};

void DeliverWindowInput(WindowHandle topLevel, const WindowInput& input);
// The operator moved or sized the window: its client area on the screen.
void DeliverWindowMoved(WindowHandle topLevel, Rect client);
// What the window shows, in its client coordinates, on the desktop's background.
DrawingList ComposeForDisplay(WindowHandle topLevel, Size client);
