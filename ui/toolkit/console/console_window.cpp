#include "ui/toolkit/console/console_window.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <tuple>
#include <utility>

#include "runtime/clock.h"
#include "runtime/console_buffer.h"
#include "runtime/program_state.h"
#include "ui/toolkit/console/console_paint.h"
#include "ui/toolkit/core/message_pump.h"

namespace {

constexpr uint32_t CaretShapeMessage = WM_USER + 4;
constexpr uint32_t BlinkRestartMessage = WM_USER + 5;
constexpr uintptr_t BlinkTimer = 1;
constexpr uint32_t BlinkStepMs = 375;
constexpr int WheelNotch = 120;
constexpr int WheelLines = 2;
constexpr int StartRows = 60;
constexpr int MinimumCells = 10;
constexpr int CaretThickness = 2;

// Everything here belongs to the console thread, which alone runs the procedure.
struct WindowState {
  WindowHandle window = 0;
  ConsoleFonts fonts;
  bool focused = false;
  bool caretShown = false;
  bool keyHeld = false;
  int wheelTotal = 0;
  int anchorRow = 0, anchorColumn = 0;
  // -1 until first set, so that the first layout sets both bars.
  int verticalEnabled = -1, horizontalEnabled = -1;
};
WindowState state;

// Read by writers on any thread, for the messages they post to the window.
std::atomic<WindowHandle> consoleWindow{0};

struct TranslatedKey {
  uint32_t key;
  const char* text;
};
constexpr TranslatedKey TranslatedKeys[] = {
    {VK_UP, "A"},         {VK_DOWN, "B"},        {VK_RIGHT, "C"},       {VK_LEFT, "D"},
    {VK_HOME, "1~"},      {VK_INSERT, "2~"},     {VK_DELETE, "3~"},     {VK_END, "4~"},
    {VK_PRIOR, "5~"},     {VK_NEXT, "6~"},       {VK_F1, "11~"},        {VK_F1 + 1, "12~"},
    {VK_F1 + 2, "13~"},   {VK_F1 + 3, "14~"},    {VK_F1 + 4, "15~"},    {VK_F1 + 5, "17~"},
    {VK_F1 + 6, "18~"},   {VK_F1 + 7, "19~"},    {VK_F1 + 8, "20~"},    {VK_F1 + 9, "21~"},
    {VK_F1 + 10, "23~"},  {VK_F12, "24~"},       {VK_ESCAPE, "99~"},
};

Size OuterSize(int columns, int rows) {
  Rect client{0, 0, columns * state.fonts.cellWidth, rows * state.fonts.cellHeight};
  Rect outer = AdjustWindowRect(client, WS_OVERLAPPEDWINDOW, 0);
  return {outer.width + GetSystemMetric(SM_CXVSCROLL), outer.height + GetSystemMetric(SM_CYHSCROLL)};
}

// One scroll bar: the view's first line (or column) kept inside what there is, the bar
// enabled only when there is more than fits.
void LayOutBar(int bar, int count, int visible, int32_t& first, int& enabledState) {
  if (count < first + visible) first = std::max(0, count - visible + 1);
  int enabled = count >= visible ? 1 : 0;
  if (enabled != enabledState) {
    EnableScrollBar(state.window, bar, enabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
    enabledState = enabled;
  }
  if (enabled) {
    ScrollInfo info{SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, count - 1), visible - 1, first};
    SetScrollInfo(state.window, bar, info, true);
  }
}

// Under ConsoleLock.
void LayOut() {
  Rect client = GetClientRect(state.window);
  // A partly visible row or column counts.
  Console.visibleRows = (client.height + state.fonts.cellHeight) / state.fonts.cellHeight;
  Console.visibleColumns = (client.width + state.fonts.cellWidth) / state.fonts.cellWidth;
  LayOutBar(SB_VERT, Console.lineCount, Console.visibleRows, Console.topLine, state.verticalEnabled);
  LayOutBar(SB_HORZ, Console.columns, Console.visibleColumns, Console.leftColumn, state.horizontalEnabled);
}

// Under ConsoleLock.
void PlaceCaret() {
  if (!state.focused || Console.caretShape == CaretShape::None) return;
  int y = Console.caretShape == CaretShape::Underline ? state.fonts.cellHeight - CaretThickness : 0;
  SetCaretPosition((Console.cursorColumn - Console.leftColumn) * state.fonts.cellWidth,
                   (Console.cursorRow - Console.topLine) * state.fonts.cellHeight + y);
}

void MakeCaret() {
  std::lock_guard guard(ConsoleLock);
  const int width = state.fonts.cellWidth, height = state.fonts.cellHeight;
  switch (Console.caretShape) {
    case CaretShape::Underline: CreateCaret(state.window, width, CaretThickness); break;
    case CaretShape::Bar: CreateCaret(state.window, CaretThickness, height); break;
    case CaretShape::Block: CreateCaret(state.window, width, height); break;
    case CaretShape::None: return;
  }
  PlaceCaret();
  ShowCaret(state.window);
  state.caretShown = true;
}

void DropCaret() {
  if (state.caretShown) DestroyCaret();
  state.caretShown = false;
}

void ApplyCaretShape() {
  // Only the latest of several queued shape changes matters.
  Message later;
  while (PeekMessage(later, true, state.window, CaretShapeMessage, CaretShapeMessage)) continue;
  if (!state.focused) return;
  DropCaret();
  MakeCaret();
}

void ArmBlinkTimer() { SetTimer(state.window, BlinkTimer, BlinkStepMs - TickMilliseconds() % BlinkStepMs); }

void Paint() {
  DrawingSurface surface = BeginPaint(state.window);
  PaintConsole(surface, state.fonts);
  EndPaint(state.window, surface);
  std::lock_guard guard(ConsoleLock);
  PlaceCaret();
  if (state.focused && !state.caretShown && Console.caretShape != CaretShape::None) {
    ShowCaret(state.window);
    state.caretShown = true;
  }
  Console.caretHiddenByOutput = false;
}

}  // namespace

std::atomic<void (*)()> ConsoleCloseHandler{nullptr};

namespace {

void RequestExit() {
  ExitRequested = true;
  WakeConsoleWriters();
}

void Scroll(bool vertical, int code, int position) {
  std::lock_guard guard(ConsoleLock);
  int32_t& first = vertical ? Console.topLine : Console.leftColumn;
  int count = vertical ? Console.lineCount : Console.columns;
  int visible = vertical ? Console.visibleRows : Console.visibleColumns;
  int limit = std::max(0, count - visible + 1);
  switch (code) {
    case SB_LINEUP: first = std::max(0, first - 1); break;
    case SB_LINEDOWN: first = std::min(limit, first + 1); break;
    case SB_PAGEUP: first = std::max(0, first - visible + 1); break;
    case SB_PAGEDOWN: first = std::min(limit, first + visible - 1); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: first = position; break;
    case SB_TOP: first = 0; break;
    case SB_BOTTOM: first = limit; break;
    default: return;
  }
  LayOut();
  InvalidateWindow(state.window);
}

void Wheel(int delta) {
  state.wheelTotal += delta;
  int notches = state.wheelTotal / WheelNotch;
  state.wheelTotal -= notches * WheelNotch;
  if (notches == 0) return;
  std::lock_guard guard(ConsoleLock);
  int limit = std::max(0, Console.lineCount - Console.visibleRows + 1);
  Console.topLine = std::clamp(Console.topLine - notches * WheelLines, 0, limit);
  LayOut();
  InvalidateWindow(state.window);
}

bool Selecting() {
  std::lock_guard guard(ConsoleLock);
  return Console.selecting;
}

bool BlinkInUse() {
  std::lock_guard guard(ConsoleLock);
  return Console.blinkInUse;
}

bool Modifiers() { return IsKeyDown(VK_SHIFT) || IsKeyDown(VK_CONTROL) || IsKeyDown(VK_MENU); }

std::pair<int, int> CellAt(LParam lParam) {
  Point point = MessagePoint(lParam);
  int row = Console.topLine + std::max(0, point.y) / state.fonts.cellHeight;
  int column = Console.leftColumn + std::max(0, point.x) / state.fonts.cellWidth;
  return {std::min(row, Console.maxLines - 1), std::min(column, Console.columns - 1)};
}

// The rectangle spanned by the anchor and the cell under the mouse; none when they are
// the same cell, so a click clears the selection.
void SelectTo(LParam lParam) {
  std::lock_guard guard(ConsoleLock);
  auto [row, column] = CellAt(lParam);
  if (row == state.anchorRow && column == state.anchorColumn) {
    Console.selection = ConsoleSelection{};
  } else {
    Console.selection = {std::min(row, state.anchorRow), std::min(column, state.anchorColumn),
                         std::max(row, state.anchorRow), std::max(column, state.anchorColumn)};
  }
  InvalidateWindow(state.window);
}

void StartSelection(LParam lParam) {
  {
    std::lock_guard guard(ConsoleLock);
    std::tie(state.anchorRow, state.anchorColumn) = CellAt(lParam);
    Console.selecting = true;
  }
  SelectTo(lParam);
}

void EndSelection(LParam lParam) {
  if (!Selecting()) return;
  SelectTo(lParam);
  {
    std::lock_guard guard(ConsoleLock);
    Console.selecting = false;
  }
  WakeConsoleWriters();
}

void Copy() {
  std::string text = ConsoleSelectionText();
  if (!text.empty()) SetClipboardText(text);
}

void KeyDown(uint32_t key) {
  if (state.keyHeld) return;
  bool shift = IsKeyDown(VK_SHIFT), control = IsKeyDown(VK_CONTROL), alt = IsKeyDown(VK_MENU);
  if (!shift && !control && !alt) {
    for (const TranslatedKey& translated : TranslatedKeys) {
      if (translated.key != key) continue;
      KeyRingPut(0x1B);
      KeyRingPut('[');
      for (const char* c = translated.text; *c != '\0'; ++c) KeyRingPut(static_cast<uint8_t>(*c));
      state.keyHeld = true;
      return;
    }
  } else if (control && !shift && !alt && key == VK_CANCEL) {
    RequestExit();
    if (!Exiting) std::exit(1);
  }
}

void Character(uint32_t character) {
  if (character == 0x03) {
    Copy();
  } else if (character == 0x13) {
    {
      std::lock_guard guard(ConsoleLock);
      Console.paused = !Console.paused;
    }
    WakeConsoleWriters();
    InvalidateWindow(state.window);
  } else {
    KeyRingPut(static_cast<uint8_t>(character));
  }
}

void MinMax(MinMaxInfo& info) {
  info.minimumTrackSize = OuterSize(MinimumCells, MinimumCells);
  std::lock_guard guard(ConsoleLock);
  info.maximumTrackSize.width = OuterSize(Console.columns + 1, 0).width;
}

LResult ConsoleProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  switch (message) {
    case WM_CREATE: state.window = window; return 0;
    case WM_DESTROY:
      consoleWindow = 0;
      if (BlinkInUse()) KillTimer(window, BlinkTimer);
      RequestExit();
      return 0;
    case WM_SIZE: {
      std::lock_guard guard(ConsoleLock);
      LayOut();
      return 0;
    }
    case WM_GETMINMAXINFO: MinMax(*reinterpret_cast<MinMaxInfo*>(lParam)); return 0;
    case WM_SETFOCUS: state.focused = true; MakeCaret(); return 0;
    case WM_KILLFOCUS: state.focused = false; DropCaret(); return 0;
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE:
      if (auto handler = ConsoleCloseHandler.load()) {
        handler();
      } else {
        RequestExit();
      }
      return 0;
    case WM_QUERYENDSESSION: RequestExit(); return 1;
    case WM_KEYDOWN: KeyDown(static_cast<uint32_t>(wParam)); return 0;
    case WM_KEYUP: state.keyHeld = false; return 0;
    case WM_CHAR: Character(static_cast<uint32_t>(wParam)); return 0;
    case WM_LBUTTONDOWN:
      SetCapture(window);
      if (!Modifiers()) StartSelection(lParam);
      return 0;
    case WM_MOUSEMOVE:
      if (IsKeyDown(VK_LBUTTON) && Selecting()) SelectTo(lParam);
      return 0;
    case WM_LBUTTONUP: ReleaseCapture(); EndSelection(lParam); return 0;
    case WM_RBUTTONDOWN: Copy(); return 0;
    case WM_MOUSEWHEEL:
      if (!IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_CONTROL)) Wheel(static_cast<int16_t>(HighWord(wParam)));
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL: Scroll(message == WM_VSCROLL, LowWord(wParam), HighWord(wParam)); return 0;
    case WM_TIMER:
      if (wParam == BlinkTimer && BlinkInUse()) {
        InvalidateWindow(window);
        ArmBlinkTimer();
      }
      return 0;
    case CaretShapeMessage: ApplyCaretShape(); return 0;
    case BlinkRestartMessage: ArmBlinkTimer(); return 0;
    default: return DefaultWindowProcedure(window, message, wParam, lParam);
  }
}

// Writers call these under ConsoleLock on any thread: they only post to the window.
void InstallHooks() {
  ConsoleHooks.beep = [] { MessageBeep(); };
  ConsoleHooks.caretShapeChanged = [](CaretShape shape) {
    PostMessage(consoleWindow, CaretShapeMessage, static_cast<WParam>(shape), 0);
  };
  ConsoleHooks.attributesChanged = [] {
    if (Console.blinkInUse) PostMessage(consoleWindow, BlinkRestartMessage, 0, 0);
  };
}

}  // namespace

WindowHandle CreateConsoleWindow(const std::string& title) {
  static const bool registered = RegisterWindowClass({"PellApp", ConsoleProcedure, COLOR_WINDOW});
  if (!registered) return 0;
  state = WindowState{};
  // Measured before the window exists: its size limits are asked during creation.
  state.fonts = MakeConsoleFonts();
  WindowCreation creation;
  creation.className = "PellApp";
  creation.text = title;
  creation.style = WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL;
  WindowHandle window = CreateWindow(creation);
  if (window == 0) return 0;
  consoleWindow = window;
  InstallHooks();
  Rect rect = GetWindowRect(window);
  int columns;
  {
    std::lock_guard guard(ConsoleLock);
    columns = Console.columns;
  }
  Size size = OuterSize(columns, StartRows);
  MoveWindow(window, rect.x, rect.y, size.width, size.height, true);
  PlaceConsoleBeside(Rect{0, 0, 0, 0});
  return window;
}

void PlaceConsoleBeside(Rect owner) {
  WindowHandle window = consoleWindow;
  if (window == 0) return;
  int columns;
  {
    std::lock_guard guard(ConsoleLock);
    columns = Console.columns;
  }
  Size wanted = OuterSize(columns, StartRows);
  Size screen{GetSystemMetric(SM_CXSCREEN), GetSystemMetric(SM_CYSCREEN)};
  if (screen.width <= 0 || screen.height <= 0) return;
  // Below the desktop's top panel and above its bottom one, with room for the title
  // bar that the window manager draws above the window's area.
  constexpr int TitleRoom = 40;
  constexpr int Gap = 8;
  int y = std::max(owner.y, TitleRoom);
  int height = std::min(wanted.height, screen.height - y - TitleRoom);
  // Right of the window it belongs to; where that leaves too little, at the screen's
  // right edge, over as little of that window as it can.
  int x = owner.width > 0 ? owner.x + owner.width + Gap : screen.width - wanted.width;
  int width = std::min(wanted.width, screen.width - x);
  int narrowest = OuterSize(MinimumCells * 6, 0).width;
  if (width < narrowest) {
    width = std::min(wanted.width, std::max(narrowest, screen.width / 2));
    x = screen.width - width;
  }
  MoveWindow(window, std::max(0, x), y, width, std::max(height, OuterSize(0, MinimumCells).height), true);
}

void ConsoleWindowStep() {
  bool repaint;
  {
    std::lock_guard guard(ConsoleLock);
    if (std::exchange(Console.layoutChanged, false)) LayOut();
    if (std::exchange(Console.caretMoved, false)) PlaceCaret();
    if (Console.caretHiddenByOutput && state.caretShown) {
      HideCaret(state.window);
      state.caretShown = false;
    }
    repaint = std::exchange(Console.repaint, false);
  }
  if (repaint) InvalidateWindow(state.window);
  PumpMessages();
}

WindowHandle ConsoleWindow() { return consoleWindow; }

void ShowConsole(int command) {
  WindowHandle window = consoleWindow;
  if (window == 0) return;
  ShowWindow(window, command);
  if (command == SW_SHOWNORMAL) SetForegroundWindow(window);
}
