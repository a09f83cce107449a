#include "ui/toolkit/core/dialog_keys.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t ButtonKindMask = 0x0F;
constexpr uint32_t GroupBoxKind = 0x07;

bool TakesKeyboard(WindowHandle window) {
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return false;
  std::string name = GetClassName(window);
  if (name == "BUTTON") return (static_cast<uint32_t>(GetWindowLong(window, GWL_STYLE)) & ButtonKindMask) != GroupBoxKind;
  return name == "EDIT" || name == "LISTBOX" || name == "SysTreeView32";
}

void Collect(WindowHandle parent, std::vector<WindowHandle>& controls) {
  for (WindowHandle child : GetChildren(parent)) {
    if (TakesKeyboard(child)) controls.push_back(child);
    if (IsWindowVisible(child) && IsWindowEnabled(child)) Collect(child, controls);
  }
}

}  // namespace

bool HandleDialogKey(const Message& message) {
  if (message.message != WM_KEYDOWN || message.window == 0) return false;
  WindowHandle top = GetTopLevel(message.window);
  // Escape closes a form (a window with an owner) as its close box does: a cancel.
  if (message.wParam == VK_ESCAPE && GetParent(top) != 0) {
    PostMessage(top, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  }
  if (message.wParam != VK_TAB) return false;
  std::vector<WindowHandle> controls;
  Collect(top, controls);
  if (controls.empty()) return false;
  bool backwards = (message.keys & KeyShift) != 0;
  auto at = std::find(controls.begin(), controls.end(), GetFocus());
  size_t index;
  if (at == controls.end()) {
    index = backwards ? controls.size() - 1 : 0;
  } else {
    size_t current = static_cast<size_t>(at - controls.begin());
    index = backwards ? (current + controls.size() - 1) % controls.size() : (current + 1) % controls.size();
  }
  SetFocus(controls[index]);
  return true;
}
