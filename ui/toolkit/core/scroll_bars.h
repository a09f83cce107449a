// The scroll bars of windows with WS_VSCROLL or WS_HSCROLL: their settings (SetScrollInfo
// and the others in window_system.h), drawn with the window's frame, and worked with the
// mouse. What this header declares is called with the window lock held.
#pragma once

#include "ui/toolkit/core/window_core.h"
#include "ui/toolkit/core/window_input.h"

struct ScrollBarParts {
  Rect bar, less, more, track, thumb;
  // Enabled and with more to show than one page: the thumb is there.
  bool active = false;
};

// In the window's own coordinates (origin at its outer top-left corner).
ScrollBarParts LayOutScrollBar(const WindowRecord& record, int bar);
// Borders and scroll bars, in the window's own coordinates.
void DrawWindowFrame(const WindowRecord& record, DrawingSurface& surface);
// A mouse action on the window's frame; true when a scroll bar took it. While the thumb
// is dragged every action of the top-level window comes here.
bool ScrollBarMouse(WindowRecord& record, MouseAction action, Point local);
// The window whose scroll bar is held down in this top-level window, or null.
WindowRecord* ScrollBarHeld(WindowHandle topLevel);
