// "LISTBOX": a list of text lines, each with a value, one of them selected. A click or
// the arrow keys select a line; with LBS_NOTIFY the parent hears LBN_SELCHANGE. The
// wheel (and the scroll bar, with WS_VSCROLL) scrolls.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ui/toolkit/controls/system_controls.h"
#include "ui/toolkit/core/control_drawing.h"

namespace {

constexpr int Margin = 2;

struct ListLine {
  std::string text;
  intptr_t value = 0;
};

struct ListState {
  std::vector<ListLine> lines;
  int selected = -1;
  int top = 0;
  bool focused = false;
  bool tracking = false;
  int wheel = 0;
};

int LineHeight(WindowHandle window) { return std::max(1, GetFontMetrics(GetWindowFont(window)).height); }

int VisibleLines(WindowHandle window) { return std::max(1, GetClientRect(window).height / LineHeight(window)); }

int Count(const ListState& state) { return static_cast<int>(state.lines.size()); }

void UpdateScrollBar(WindowHandle window, const ListState& state) {
  if (!HasStyle(window, WS_VSCROLL)) return;
  ScrollInfo info{SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, Count(state) - 1), VisibleLines(window), state.top};
  SetScrollInfo(window, SB_VERT, info, true);
  EnableScrollBar(window, SB_VERT, Count(state) > VisibleLines(window) ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

void ScrollTo(WindowHandle window, ListState& state, int top) {
  top = std::clamp(top, 0, std::max(0, Count(state) - VisibleLines(window)));
  if (top == state.top) return;
  state.top = top;
  InvalidateWindow(window);
  UpdateScrollBar(window, state);
}

void ShowLine(WindowHandle window, ListState& state, int line) {
  if (line < 0) return;
  if (line < state.top) ScrollTo(window, state, line);
  else if (line >= state.top + VisibleLines(window)) ScrollTo(window, state, line - VisibleLines(window) + 1);
}

// The operator chose a line.
void Choose(WindowHandle window, ListState& state, int line) {
  line = std::clamp(line, 0, Count(state) - 1);
  if (Count(state) == 0 || line == state.selected) return;
  state.selected = line;
  ShowLine(window, state, line);
  InvalidateWindow(window);
  if (HasStyle(window, LBS_NOTIFY)) NotifyParent(window, LBN_SELCHANGE);
}

int LineAt(WindowHandle window, const ListState& state, Point point) {
  int line = state.top + point.y / LineHeight(window);
  return point.y >= 0 && line < Count(state) ? line : -1;
}

void Scroll(WindowHandle window, ListState& state, int code, int position) {
  int page = VisibleLines(window);
  switch (code) {
    case SB_LINEUP: ScrollTo(window, state, state.top - 1); break;
    case SB_LINEDOWN: ScrollTo(window, state, state.top + 1); break;
    case SB_PAGEUP: ScrollTo(window, state, state.top - page); break;
    case SB_PAGEDOWN: ScrollTo(window, state, state.top + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollTo(window, state, position); break;
    case SB_TOP: ScrollTo(window, state, 0); break;
    case SB_BOTTOM: ScrollTo(window, state, Count(state)); break;
    default: break;
  }
}

void Key(WindowHandle window, ListState& state, uint32_t key) {
  int page = VisibleLines(window);
  int from = std::max(state.selected, 0);
  switch (key) {
    case VK_UP: Choose(window, state, state.selected < 0 ? 0 : from - 1); break;
    case VK_DOWN: Choose(window, state, state.selected < 0 ? 0 : from + 1); break;
    case VK_PRIOR: Choose(window, state, from - page + 1); break;
    case VK_NEXT: Choose(window, state, from + page - 1); break;
    case VK_HOME: Choose(window, state, 0); break;
    case VK_END: Choose(window, state, Count(state) - 1); break;
    default: break;
  }
}

void Paint(WindowHandle window, const ListState& state) {
  DrawingSurface surface = BeginPaint(window);
  Colour background = AskParentForColours(window, WM_CTLCOLORLISTBOX, surface);
  FillBox(surface, surface.Bounds(), background);
  int height = LineHeight(window);
  bool enabled = IsWindowEnabled(window);
  for (int line = state.top; line < Count(state) && (line - state.top) * height < surface.size.height; ++line) {
    Rect box{0, (line - state.top) * height, surface.size.width, height};
    bool selected = line == state.selected;
    Colour ink = !enabled ? SystemColour(COLOR_GRAYTEXT) : selected ? SystemColour(COLOR_HIGHLIGHTTEXT) : surface.textColour;
    if (selected) FillBox(surface, box, SystemColour(COLOR_HIGHLIGHT));
    DrawTextRun(surface, {Margin, box.y}, state.lines[static_cast<size_t>(line)].text, surface.font, ink, background,
                box, false, 0);
    if (selected && state.focused) DrawFocusFrame(surface, box);
  }
  EndPaint(window, surface);
}

}  // namespace

LResult ListBoxProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  ListState& state = ControlStateOf<ListState>(window);
  auto index = static_cast<int>(static_cast<intptr_t>(wParam));
  bool valid = index >= 0 && index < Count(state);
  switch (message) {
    case LB_ADDSTRING: {
      const char* text = reinterpret_cast<const char*>(lParam);
      state.lines.push_back({text == nullptr ? "" : text, 0});
      InvalidateWindow(window);
      UpdateScrollBar(window, state);
      return Count(state) - 1;
    }
    case LB_RESETCONTENT:
      state = ListState{{}, -1, 0, state.focused};
      InvalidateWindow(window);
      UpdateScrollBar(window, state);
      return 0;
    case LB_GETCOUNT:
      return Count(state);
    case LB_GETTEXT:
      if (!valid || lParam == 0) return LB_ERR;
      std::strcpy(reinterpret_cast<char*>(lParam), state.lines[static_cast<size_t>(index)].text.c_str());
      return static_cast<LResult>(state.lines[static_cast<size_t>(index)].text.size());
    case LB_GETTEXTLEN:
      return valid ? static_cast<LResult>(state.lines[static_cast<size_t>(index)].text.size()) : LB_ERR;
    case LB_GETITEMDATA:
      return valid ? state.lines[static_cast<size_t>(index)].value : LB_ERR;
    case LB_SETITEMDATA:
      if (!valid) return LB_ERR;
      state.lines[static_cast<size_t>(index)].value = lParam;
      return 0;
    case LB_GETCURSEL:
      return state.selected;
    case LB_SETCURSEL:
      state.selected = valid ? index : -1;
      ShowLine(window, state, state.selected);
      InvalidateWindow(window);
      return valid || index == -1 ? state.selected : LB_ERR;
    case LB_GETTOPINDEX:
      return state.top;
    case WM_LBUTTONDOWN: {
      SetFocus(window);
      SetCapture(window);
      state.tracking = true;
      int line = LineAt(window, state, MessagePoint(lParam));
      if (line >= 0) Choose(window, state, line);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (state.tracking) {
        int line = LineAt(window, state, MessagePoint(lParam));
        if (line >= 0) Choose(window, state, line);
      }
      return 0;
    case WM_LBUTTONUP:
      if (state.tracking) ReleaseCapture();
      state.tracking = false;
      return 0;
    case WM_KEYDOWN:
      Key(window, state, static_cast<uint32_t>(wParam));
      return 0;
    case WM_MOUSEWHEEL: {
      state.wheel += static_cast<int16_t>(HighWord(wParam));
      int notches = state.wheel / WHEEL_DELTA;
      state.wheel -= notches * WHEEL_DELTA;
      ScrollTo(window, state, state.top - 3 * notches);
      return 0;
    }
    case WM_VSCROLL:
      Scroll(window, state, LowWord(wParam), HighWord(wParam));
      return 0;
    case WM_SIZE:
      UpdateScrollBar(window, state);
      return 0;
    case WM_PAINT:
      Paint(window, state);
      return 0;
    default:
      return CommonControlMessage(window, message, wParam, lParam, &state.focused);
  }
}
