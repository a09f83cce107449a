// "EDIT": a one-line text box. The operator types, deletes, moves the caret, selects
// with the mouse or with Shift, and copies and pastes (Ctrl+C, Ctrl+X, Ctrl+V). The
// parent hears EN_CHANGE after every change (also a text set by the program),
// EN_SETFOCUS and EN_KILLFOCUS. Positions are byte offsets of the UTF-8 text; the line
// operations read the text's CR LF lines.
#include <algorithm>
#include <cstring>

#include "runtime/utf8.h"
#include "ui/toolkit/controls/system_controls.h"
#include "ui/toolkit/core/control_drawing.h"

namespace {

constexpr int Margin = 2;

struct EditState {
  int caret = 0;
  // The other end of the selection; equal to the caret when nothing is selected.
  int anchor = 0;
  bool modified = false;
  bool focused = false;
  bool selecting = false;
  // How far the text is scrolled left to keep the caret in view.
  int scroll = 0;
};

int SelectionStart(const EditState& state) { return std::min(state.caret, state.anchor); }
int SelectionEnd(const EditState& state) { return std::max(state.caret, state.anchor); }

bool IsContinuation(char c) { return (static_cast<uint8_t>(c) & 0xC0) == 0x80; }

int Previous(const std::string& text, int at) {
  if (at <= 0) return 0;
  do --at;
  while (at > 0 && IsContinuation(text[static_cast<size_t>(at)]));
  return at;
}

int Next(const std::string& text, int at) {
  int size = static_cast<int>(text.size());
  if (at >= size) return size;
  do ++at;
  while (at < size && IsContinuation(text[static_cast<size_t>(at)]));
  return at;
}

// Where the text starts in the client area: aligned as the style says while it fits,
// else scrolled so that the caret stays in view.
int TextLeft(WindowHandle window, EditState& state) {
  std::string text = GetWindowText(window);
  FontHandle font = GetWindowFont(window);
  int room = GetClientRect(window).width - 2 * Margin;
  int width = MeasureTextWidth(font, text);
  if (width <= room) {
    state.scroll = 0;
    uint32_t style = static_cast<uint32_t>(GetWindowLong(window, GWL_STYLE));
    if (style & ES_RIGHT) return Margin + room - width;
    if (style & ES_CENTER) return Margin + (room - width) / 2;
    return Margin;
  }
  int caretX = MeasureTextWidth(font, std::string_view(text).substr(0, static_cast<size_t>(state.caret)));
  if (caretX - state.scroll > room) state.scroll = caretX - room;
  if (caretX < state.scroll) state.scroll = caretX;
  state.scroll = std::clamp(state.scroll, 0, std::max(0, width - room));
  return Margin - state.scroll;
}

void PlaceCaret(WindowHandle window, EditState& state) {
  if (!state.focused) return;
  std::string text = GetWindowText(window);
  int x = TextLeft(window, state) + MeasureTextWidth(GetWindowFont(window), std::string_view(text).substr(0, static_cast<size_t>(state.caret)));
  SetCaretPosition(x, 1);
}

int PositionAt(WindowHandle window, EditState& state, int x) {
  std::string text = GetWindowText(window);
  FontHandle font = GetWindowFont(window);
  int left = TextLeft(window, state);
  for (int at = 0; at < static_cast<int>(text.size()); at = Next(text, at)) {
    int next = Next(text, at);
    int start = MeasureTextWidth(font, std::string_view(text).substr(0, static_cast<size_t>(at)));
    int end = MeasureTextWidth(font, std::string_view(text).substr(0, static_cast<size_t>(next)));
    if (x < left + (start + end) / 2) return at;
  }
  return static_cast<int>(text.size());
}

void Changed(WindowHandle window, EditState& state) {
  state.modified = true;
  InvalidateWindow(window);
  PlaceCaret(window, state);
  NotifyParent(window, EN_CHANGE);
}

// Replaces the selection by `insert` (the text the program or the operator gives).
void ReplaceSelection(WindowHandle window, EditState& state, std::string_view insert) {
  std::string text = GetWindowText(window);
  int start = SelectionStart(state);
  text.replace(static_cast<size_t>(start), static_cast<size_t>(SelectionEnd(state) - start), insert);
  DefaultWindowProcedure(window, WM_SETTEXT, 0, reinterpret_cast<LParam>(text.c_str()));
  state.caret = state.anchor = start + static_cast<int>(insert.size());
  Changed(window, state);
}

void MoveCaret(WindowHandle window, EditState& state, int to, bool extend) {
  state.caret = to;
  if (!extend) state.anchor = to;
  InvalidateWindow(window);
  PlaceCaret(window, state);
}

void Copy(WindowHandle window, const EditState& state) {
  if (state.caret == state.anchor) return;
  std::string text = GetWindowText(window);
  SetClipboardText(std::string_view(text).substr(static_cast<size_t>(SelectionStart(state)),
                                                 static_cast<size_t>(SelectionEnd(state) - SelectionStart(state))));
}

void Character(WindowHandle window, EditState& state, uint32_t code) {
  std::string text = GetWindowText(window);
  switch (code) {
    case 1:  // Ctrl+A
      state.anchor = 0;
      MoveCaret(window, state, static_cast<int>(text.size()), true);
      return;
    case 3:  // Ctrl+C
      Copy(window, state);
      return;
    case 0x18:  // Ctrl+X
      Copy(window, state);
      if (state.caret != state.anchor) ReplaceSelection(window, state, "");
      return;
    case 0x16: {  // Ctrl+V: the first line of the clipboard, as a one-line box takes it
      std::string pasted = GetClipboardText();
      ReplaceSelection(window, state, pasted.substr(0, pasted.find_first_of("\r\n")));
      return;
    }
    case 8:  // Backspace
      if (state.caret == state.anchor) state.anchor = Previous(text, state.caret);
      if (state.caret != state.anchor) ReplaceSelection(window, state, "");
      return;
    default:
      if (code >= 0x20 && code != 0x7F) {
        std::string typed;
        AppendUtf8(typed, code);
        ReplaceSelection(window, state, typed);
      }
  }
}

void Key(WindowHandle window, EditState& state, uint32_t key) {
  std::string text = GetWindowText(window);
  bool extend = IsKeyDown(VK_SHIFT);
  switch (key) {
    case VK_LEFT:
      MoveCaret(window, state, Previous(text, state.caret), extend);
      break;
    case VK_RIGHT:
      MoveCaret(window, state, Next(text, state.caret), extend);
      break;
    case VK_HOME:
      MoveCaret(window, state, 0, extend);
      break;
    case VK_END:
      MoveCaret(window, state, static_cast<int>(text.size()), extend);
      break;
    case VK_DELETE:
      if (state.caret == state.anchor) state.anchor = Next(text, state.caret);
      if (state.caret != state.anchor) ReplaceSelection(window, state, "");
      break;
    default:
      break;
  }
}

// The text's lines, CR LF (or LF) apart: start offsets.
std::vector<int> LineStarts(const std::string& text) {
  std::vector<int> starts{0};
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    starts.push_back(static_cast<int>(at + 1));
  }
  return starts;
}

int LineLength(const std::string& text, int start) {
  size_t end = text.find('\n', static_cast<size_t>(start));
  if (end == std::string::npos) end = text.size();
  if (end > static_cast<size_t>(start) && text[end - 1] == '\r') --end;
  return static_cast<int>(end) - start;
}

int LineOf(const std::vector<int>& starts, int position) {
  return static_cast<int>(std::upper_bound(starts.begin(), starts.end(), position) - starts.begin()) - 1;
}

void Paint(WindowHandle window, EditState& state) {
  DrawingSurface surface = BeginPaint(window);
  bool enabled = IsWindowEnabled(window);
  Colour background = AskParentForColours(window, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC, surface);
  FillBox(surface, surface.Bounds(), background);
  std::string text = GetWindowText(window);
  int left = TextLeft(window, state);
  Rect clip = surface.Bounds();
  Colour ink = enabled ? surface.textColour : SystemColour(COLOR_GRAYTEXT);
  int start = SelectionStart(state), end = SelectionEnd(state);
  if (!state.focused || start == end) {
    DrawTextRun(surface, {left, 1}, text, surface.font, ink, background, clip, false, 0);
  } else {
    // Before, inside and after the selection, the middle in the highlight colours.
    int x = left;
    int bounds[] = {0, start, end, static_cast<int>(text.size())};
    for (int part = 0; part < 3; ++part) {
      std::string_view piece = std::string_view(text).substr(static_cast<size_t>(bounds[part]),
                                                             static_cast<size_t>(bounds[part + 1] - bounds[part]));
      int width = MeasureTextWidth(surface.font, piece);
      bool selected = part == 1;
      if (selected) FillBox(surface, {x, 1, width, GetFontMetrics(surface.font).height}, SystemColour(COLOR_HIGHLIGHT));
      DrawTextRun(surface, {x, 1}, piece, surface.font, selected ? SystemColour(COLOR_HIGHLIGHTTEXT) : ink, background,
                  clip, false, 0);
      x += width;
    }
  }
  EndPaint(window, surface);
  PlaceCaret(window, state);
}

}  // namespace

LResult EditProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  EditState& state = ControlStateOf<EditState>(window);
  switch (message) {
    case WM_SETTEXT:
      DefaultWindowProcedure(window, message, wParam, lParam);
      state.caret = state.anchor = state.scroll = 0;
      state.modified = false;
      InvalidateWindow(window);
      PlaceCaret(window, state);
      NotifyParent(window, EN_CHANGE);
      return 1;
    case WM_CHAR:
      Character(window, state, static_cast<uint32_t>(wParam));
      return 0;
    case WM_KEYDOWN:
      Key(window, state, static_cast<uint32_t>(wParam));
      return 0;
    case WM_LBUTTONDOWN: {
      SetFocus(window);
      SetCapture(window);
      state.selecting = true;
      MoveCaret(window, state, PositionAt(window, state, MessagePoint(lParam).x), IsKeyDown(VK_SHIFT));
      return 0;
    }
    case WM_MOUSEMOVE:
      if (state.selecting) MoveCaret(window, state, PositionAt(window, state, MessagePoint(lParam).x), true);
      return 0;
    case WM_LBUTTONUP:
      if (state.selecting) ReleaseCapture();
      state.selecting = false;
      return 0;
    case WM_SETFOCUS:
      state.focused = true;
      CreateCaret(window, 1, GetFontMetrics(GetWindowFont(window)).height);
      PlaceCaret(window, state);
      ShowCaret(window);
      InvalidateWindow(window);
      NotifyParent(window, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      state.focused = false;
      DestroyCaret();
      InvalidateWindow(window);
      NotifyParent(window, EN_KILLFOCUS);
      return 0;
    case EM_GETSEL: {
      if (wParam != 0) *reinterpret_cast<int*>(wParam) = SelectionStart(state);
      if (lParam != 0) *reinterpret_cast<int*>(lParam) = SelectionEnd(state);
      return static_cast<LResult>(MakeLong(static_cast<uint16_t>(SelectionStart(state)),
                                           static_cast<uint16_t>(SelectionEnd(state))));
    }
    case EM_SETSEL: {
      int size = GetWindowTextLength(window);
      auto start = static_cast<int>(static_cast<intptr_t>(wParam));
      auto end = static_cast<int>(lParam);
      if (start < 0) {
        state.anchor = state.caret;
      } else {
        state.anchor = std::clamp(start, 0, size);
        state.caret = end < 0 ? size : std::clamp(end, 0, size);
      }
      InvalidateWindow(window);
      PlaceCaret(window, state);
      return 0;
    }
    case EM_REPLACESEL: {
      const char* text = reinterpret_cast<const char*>(lParam);
      ReplaceSelection(window, state, text == nullptr ? "" : text);
      return 0;
    }
    case EM_GETMODIFY:
      return state.modified;
    case EM_SETMODIFY:
      state.modified = wParam != 0;
      return 0;
    case EM_GETLINECOUNT:
      return static_cast<LResult>(LineStarts(GetWindowText(window)).size());
    case EM_LINEINDEX: {
      std::vector<int> starts = LineStarts(GetWindowText(window));
      auto line = static_cast<intptr_t>(wParam);
      if (line < 0) line = LineOf(starts, state.caret);
      return line < static_cast<intptr_t>(starts.size()) ? starts[static_cast<size_t>(line)] : -1;
    }
    case EM_LINELENGTH: {
      std::string text = GetWindowText(window);
      std::vector<int> starts = LineStarts(text);
      auto position = static_cast<intptr_t>(wParam);
      int line = position < 0 ? LineOf(starts, state.caret) : LineOf(starts, static_cast<int>(position));
      return LineLength(text, starts[static_cast<size_t>(line)]);
    }
    case EM_GETLINE: {
      // The buffer's first two bytes hold its size; the line is copied without a terminator.
      std::string text = GetWindowText(window);
      std::vector<int> starts = LineStarts(text);
      if (wParam >= starts.size() || lParam == 0) return 0;
      char* buffer = reinterpret_cast<char*>(lParam);
      uint16_t room;
      std::memcpy(&room, buffer, sizeof room);
      int start = starts[wParam];
      int count = std::min(LineLength(text, start), static_cast<int>(room));
      std::memcpy(buffer, text.data() + start, static_cast<size_t>(count));
      return count;
    }
    case WM_PAINT:
      Paint(window, state);
      return 0;
    default:
      return CommonControlMessage(window, message, wParam, lParam);
  }
}
