// "SysTreeView32": the tool's tree views hold one level of items. A click or the arrow
// keys select an item; the parent hears it as WM_COMMAND TVN_SELECTIONCHANGED. Items
// are numbered from 1 in the order they were added.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/toolkit/controls/system_controls.h"
#include "ui/toolkit/core/control_drawing.h"

namespace {

constexpr int Indent = 18;

struct TreeState {
  std::vector<std::string> items;
  int selected = -1;
  bool focused = false;
};

int ItemHeight(WindowHandle window) { return GetFontMetrics(GetWindowFont(window)).height + 2; }

int Count(const TreeState& state) { return static_cast<int>(state.items.size()); }

void Choose(WindowHandle window, TreeState& state, int item) {
  if (Count(state) == 0) return;
  item = std::clamp(item, 0, Count(state) - 1);
  if (item == state.selected) return;
  state.selected = item;
  InvalidateWindow(window);
  NotifyParent(window, TVN_SELECTIONCHANGED);
}

void Paint(WindowHandle window, const TreeState& state) {
  DrawingSurface surface = BeginPaint(window);
  FillBox(surface, surface.Bounds(), SystemColour(COLOR_WINDOW));
  int height = ItemHeight(window);
  for (int item = 0; item < Count(state); ++item) {
    Rect box{Indent, item * height, surface.size.width - Indent, height};
    bool selected = item == state.selected;
    if (selected) FillBox(surface, box, SystemColour(state.focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    Colour ink = selected && state.focused ? SystemColour(COLOR_HIGHLIGHTTEXT) : SystemColour(COLOR_WINDOWTEXT);
    DrawTextRun(surface, {box.x + 2, box.y + 1}, state.items[static_cast<size_t>(item)], surface.font, ink, 0, box,
                false, 0);
  }
  EndPaint(window, surface);
}

}  // namespace

LResult TreeViewProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  TreeState& state = ControlStateOf<TreeState>(window);
  switch (message) {
    case TVM_INSERTITEM: {
      auto* insertion = reinterpret_cast<const TreeViewInsertion*>(lParam);
      if (insertion == nullptr || insertion->parent != TVI_ROOT) return 0;
      state.items.push_back(insertion->mask & TVIF_TEXT ? insertion->text : std::string());
      InvalidateWindow(window);
      return Count(state);
    }
    case TVM_DELETEITEM:
      if (lParam == TVI_ROOT) {
        state.items.clear();
        state.selected = -1;
      } else if (lParam >= 1 && lParam <= Count(state)) {
        state.items.erase(state.items.begin() + (lParam - 1));
        if (state.selected >= Count(state)) state.selected = Count(state) - 1;
      } else {
        return 0;
      }
      InvalidateWindow(window);
      return 1;
    case TVM_GETCOUNT:
      return Count(state);
    case TVM_GETNEXTITEM:
      return wParam == TVGN_CARET ? state.selected + 1 : 0;
    case TVM_SELECTITEM:
      if (wParam != TVGN_CARET || lParam < 0 || lParam > Count(state)) return 0;
      state.selected = static_cast<int>(lParam) - 1;
      InvalidateWindow(window);
      return 1;
    case TVM_GETITEM: {
      auto* item = reinterpret_cast<TreeViewItem*>(lParam);
      if (item == nullptr || item->item < 1 || item->item > Count(state)) return 0;
      item->text = state.items[static_cast<size_t>(item->item - 1)];
      return 1;
    }
    case WM_LBUTTONDOWN: {
      SetFocus(window);
      int item = MessagePoint(lParam).y / ItemHeight(window);
      if (item < Count(state)) Choose(window, state, item);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_UP) Choose(window, state, state.selected - 1);
      if (wParam == VK_DOWN) Choose(window, state, state.selected + 1);
      return 0;
    case WM_PAINT:
      Paint(window, state);
      return 0;
    default:
      return CommonControlMessage(window, message, wParam, lParam, &state.focused);
  }
}
