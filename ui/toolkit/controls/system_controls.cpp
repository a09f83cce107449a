#include "ui/toolkit/controls/system_controls.h"

void RegisterSystemControlClasses() {
  RegisterWindowClass({"BUTTON", ButtonProcedure, COLOR_BTNFACE});
  RegisterWindowClass({"STATIC", StaticProcedure, COLOR_BTNFACE});
  RegisterWindowClass({"EDIT", EditProcedure, COLOR_WINDOW});
  RegisterWindowClass({"LISTBOX", ListBoxProcedure, COLOR_WINDOW});
  RegisterWindowClass({"msctls_updown32", UpDownProcedure, COLOR_BTNFACE});
  RegisterWindowClass({"msctls_progress32", ProgressProcedure, COLOR_BTNFACE});
  RegisterWindowClass({"SysTreeView32", TreeViewProcedure, COLOR_WINDOW});
}

LResult CommonControlMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam, bool* focused) {
  switch (message) {
    case WM_ENABLE:
      InvalidateWindow(window);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (focused == nullptr) break;
      *focused = message == WM_SETFOCUS;
      InvalidateWindow(window);
      return 0;
    default:
      break;
  }
  return DefaultWindowProcedure(window, message, wParam, lParam);
}

void NotifyParent(WindowHandle control, uint32_t code) {
  WindowHandle parent = GetParent(control);
  if (parent == 0) return;
  auto id = static_cast<uint16_t>(GetWindowLong(control, GWL_ID));
  SendMessage(parent, WM_COMMAND, MakeLong(id, static_cast<uint16_t>(code)), static_cast<LParam>(control));
}

bool HasStyle(WindowHandle window, uint32_t style) {
  return (static_cast<uint32_t>(GetWindowLong(window, GWL_STYLE)) & style) == style;
}
