// The operator's input, as a backend (or a test acting as the operator) delivers it:
// each delivery becomes the messages a person's action makes, posted to the queue of
// the thread that owns the window. Points are in the top-level window's coordinates
// (its area on the screen, origin at its top-left corner). Any thread may deliver.
#pragma once

#include "ui/toolkit/core/window_system.h"

enum class MouseAction { Move, LeftDown, LeftUp, MiddleDown, MiddleUp, RightDown, RightUp, Wheel };

// To the window under the point (statics without SS_NOTIFY let clicks through), or to
// the window holding the capture; nothing reaches a disabled window. Scroll bars turn
// clicks into WM_VSCROLL / WM_HSCROLL. keys: KeyShift ... as held during the action.
void DeliverMouse(WindowHandle topLevel, MouseAction action, Point at, uint32_t keys, int wheelDelta = 0);
// To the window of this top-level window that holds the focus when the owner thread
// takes the key from its queue, else to the top-level window. A key down with a
// character makes WM_CHAR when translated.
void DeliverKey(WindowHandle topLevel, bool down, uint32_t virtualKey, uint32_t character, uint32_t keys);
// A top-level window disabled while its own long operation runs keeps its close box
// when it has this property: the operation asks whether to stop.
inline constexpr std::string_view CloseWhileDisabledProperty = "CloseWhileDisabled";

// The close box: WM_SYSCOMMAND SC_CLOSE, unless the window is disabled (and does not
// have CloseWhileDisabledProperty).
void DeliverClose(WindowHandle topLevel);
// The operator moved or sized the window: WM_SIZE, WM_MOVE, WM_EXITSIZEMOVE.
void DeliverMoved(WindowHandle topLevel, Rect rect);
// The desktop gave the window the keyboard, or took it away: WM_ACTIVATE.
void DeliverActivation(WindowHandle topLevel, bool active);
