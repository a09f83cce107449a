// The looks shared by the system controls and the window frames: raised and sunken
// edges, arrows, and the colours a control's parent chooses for it.
#pragma once

#include "ui/toolkit/core/window_system.h"

enum class ArrowDirection { Up, Down, Left, Right };

// A button's edge: raised, or pressed in.
void DrawButtonEdge(DrawingSurface& surface, Rect box, bool pressed);
// The two-pixel sunken edge of an edit box or a list.
void DrawSunkenEdge(DrawingSurface& surface, Rect box);
// A small filled triangle in the middle of the box.
void DrawArrow(DrawingSurface& surface, Rect box, ArrowDirection direction, Colour colour);
// A raised button with an arrow on it (scroll bars, up-down controls).
void DrawArrowButton(DrawingSurface& surface, Rect box, ArrowDirection direction, bool enabled, bool pressed);

// Asks the control's parent (WM_CTLCOLOR...) for the text and background colours; the
// parent sets them on the surface and returns its brush, whose colour is returned.
Colour AskParentForColours(WindowHandle control, uint32_t message, DrawingSurface& surface);
