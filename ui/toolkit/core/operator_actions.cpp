#include "ui/toolkit/core/operator_actions.h"

#include <algorithm>
#include <cctype>

namespace {

// A point of the window's client area in its top-level window's coordinates.
Point InTopLevel(WindowHandle window, Point at) {
  Point screen = ClientToScreen(window, at);
  Rect top = GetWindowRect(GetTopLevel(window));
  return {screen.x - top.x, screen.y - top.y};
}

Point Middle(WindowHandle window) {
  Rect client = GetClientRect(window);
  return {client.width / 2, client.height / 2};
}

int LineHeight(WindowHandle window) { return std::max(1, GetFontMetrics(GetWindowFont(window)).height); }

}  // namespace

void OperatorMouse(WindowHandle window, MouseAction action, Point at, uint32_t keys) {
  DeliverMouse(GetTopLevel(window), action, InTopLevel(window, at), keys);
}

void OperatorClick(WindowHandle window, Point at) {
  OperatorMouse(window, MouseAction::LeftDown, at, KeyLeftButton);
  OperatorMouse(window, MouseAction::LeftUp, at, 0);
}

void OperatorClick(WindowHandle window) { OperatorClick(window, Middle(window)); }

void OperatorTurnWheel(WindowHandle window, int delta, uint32_t keys) {
  DeliverMouse(GetTopLevel(window), MouseAction::Wheel, InTopLevel(window, Middle(window)), keys, delta);
}

void OperatorPressKey(WindowHandle window, uint32_t virtualKey, uint32_t character, uint32_t keys) {
  WindowHandle top = GetTopLevel(window);
  DeliverKey(top, true, virtualKey, character, keys);
  DeliverKey(top, false, virtualKey, 0, keys);
}

void OperatorType(WindowHandle edit, std::string_view text) {
  OperatorClick(edit);
  for (char c : text) {
    auto code = static_cast<uint8_t>(c);
    uint32_t key = c == '\r' ? VK_RETURN : c == '\b' ? VK_BACK : std::isalnum(code) ? std::toupper(code) : 0;
    OperatorPressKey(edit, key, code);
  }
}

void OperatorPressEnter(WindowHandle window) { OperatorPressKey(window, VK_RETURN, '\r'); }

void OperatorStepUpDown(WindowHandle upDown, bool up) {
  Rect client = GetClientRect(upDown);
  OperatorClick(upDown, {client.width / 2, up ? client.height / 4 : client.height * 3 / 4});
}

bool OperatorPickListLine(WindowHandle list, int index) {
  int height = LineHeight(list);
  int top = static_cast<int>(SendMessage(list, LB_GETTOPINDEX, 0, 0));
  int y = (index - top) * height + height / 2;
  if (index < top || y >= GetClientRect(list).height) return false;
  OperatorClick(list, {GetClientRect(list).width / 2, y});
  return true;
}

void OperatorPickTreeItem(WindowHandle tree, int index) {
  // Tree items stand two pixels further apart than lines of text.
  int height = LineHeight(tree) + 2;
  OperatorClick(tree, {GetClientRect(tree).width / 2, index * height + height / 2});
}

void OperatorClose(WindowHandle window) { DeliverClose(GetTopLevel(window)); }

bool ButtonChecked(WindowHandle button) { return SendMessage(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::string> ListLines(WindowHandle list) {
  std::vector<std::string> lines;
  auto count = static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::string line(static_cast<size_t>(SendMessage(list, LB_GETTEXTLEN, static_cast<WParam>(i), 0)) + 1, '\0');
    SendMessage(list, LB_GETTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(line.data()));
    line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

int ListSelection(WindowHandle list) { return static_cast<int>(SendMessage(list, LB_GETCURSEL, 0, 0)); }

std::vector<std::string> TreeItems(WindowHandle tree) {
  std::vector<std::string> items;
  auto count = static_cast<int>(SendMessage(tree, TVM_GETCOUNT, 0, 0));
  for (int i = 1; i <= count; ++i) {
    TreeViewItem item;
    item.item = i;
    SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LParam>(&item));
    items.push_back(item.text);
  }
  return items;
}

int TreeSelection(WindowHandle tree) { return static_cast<int>(SendMessage(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) - 1; }

int ProgressPosition(WindowHandle bar) { return static_cast<int>(SendMessage(bar, PBM_GETPOS, 0, 0)); }

WindowHandle FindChild(WindowHandle parent, std::string_view className, int nth) {
  for (WindowHandle child : GetChildren(parent)) {
    if (GetClassName(child) == className && nth-- == 0) return child;
  }
  return 0;
}
