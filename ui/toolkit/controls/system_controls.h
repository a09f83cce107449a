// The system controls: the classes "BUTTON", "STATIC", "EDIT", "LISTBOX",
// "msctls_updown32", "msctls_progress32" and "SysTreeView32", each a window
// procedure that behaves as the forms expect of these controls: it draws itself with
// the colours its parent chooses (WM_CTLCOLOR...), takes the mouse and the keys, and
// tells its parent what the operator did (WM_COMMAND, WM_NOTIFY).
#pragma once

#include <memory>

#include "ui/toolkit/core/window_core.h"

void RegisterSystemControlClasses();

LResult ButtonProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
LResult StaticProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
LResult EditProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
LResult ListBoxProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
LResult UpDownProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
LResult ProgressProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
LResult TreeViewProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// The control's own record, made on first use; only its owner thread touches it.
template <class State>
State& ControlStateOf(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record->controlState == nullptr) record->controlState = std::make_shared<State>();
  return *std::static_pointer_cast<State>(record->controlState);
}

// Where each control's procedure sends what it leaves alone: the answers the controls
// give alike, then the default procedure. WM_ENABLE repaints, since a control shows being
// disabled. A control that marks where the focus is passes its flag: focus coming or
// going sets it and repaints.
LResult CommonControlMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam,
                             bool* focused = nullptr);

// WM_COMMAND to the parent: the control's id and the notification code.
void NotifyParent(WindowHandle control, uint32_t code);
bool HasStyle(WindowHandle window, uint32_t style);
