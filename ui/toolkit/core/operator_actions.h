// Acting as the operator, for tests and scripts: each action is delivered as the
// backend delivers a person's action (window_input.h), so the same messages reach the
// same procedures. An action only posts; its effects happen when the window's thread
// pumps its messages. Reading back shows what the operator would see.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/toolkit/core/window_input.h"

// A press and release of the left button at a point of the window's client area, or in
// its middle.
void OperatorClick(WindowHandle window, Point at);
void OperatorClick(WindowHandle window);
void OperatorMouse(WindowHandle window, MouseAction action, Point at, uint32_t keys = 0);
// One wheel turn over the window (120 is one notch away from the operator).
void OperatorTurnWheel(WindowHandle window, int delta, uint32_t keys = 0);
// A key pressed and released in the window's top-level window; character 0 for keys
// that type nothing.
void OperatorPressKey(WindowHandle window, uint32_t virtualKey, uint32_t character = 0, uint32_t keys = 0);
// A click into the edit box, then the text typed (Enter is "\r").
void OperatorType(WindowHandle edit, std::string_view text);
void OperatorPressEnter(WindowHandle window);
// A click on the upper or the lower arrow.
void OperatorStepUpDown(WindowHandle upDown, bool up);
// A click on a line in view; false (nothing done) for a line out of view.
bool OperatorPickListLine(WindowHandle list, int index);
void OperatorPickTreeItem(WindowHandle tree, int index);
// The close box of the window's top-level window.
void OperatorClose(WindowHandle window);

bool ButtonChecked(WindowHandle button);
std::vector<std::string> ListLines(WindowHandle list);
int ListSelection(WindowHandle list);
std::vector<std::string> TreeItems(WindowHandle tree);
int TreeSelection(WindowHandle tree);
int ProgressPosition(WindowHandle bar);
// The n-th child of the class (0 first), or 0.
WindowHandle FindChild(WindowHandle parent, std::string_view className, int nth = 0);
