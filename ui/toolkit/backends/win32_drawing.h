// Playing a composed picture back with GDI, on the GUI thread, into the memory DC a
// window paints into before it is copied to the screen in one piece.
#pragma once

#include "ui/toolkit/backends/win32_windows.h"
#include "ui/toolkit/core/drawing.h"

// caretOn: the blinking caret is in its visible phase.
void PlayBack(HDC dc, const DrawingList& picture, bool caretOn);
