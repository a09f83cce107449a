// PelWndProc: the one window procedure of every PelWindow, and the paint of the
// toolkit's own windows.
#include <atomic>

#include "runtime/program_state.h"
#include "runtime/trace.h"
#include "ui/toolkit/controls/pel_window.h"

namespace {

PelWindow* RecordOf(WindowHandle hwnd) { return reinterpret_cast<PelWindow*>(GetWindowProperty(hwnd, "PelWindow")); }

WindowProcedure PreviousProcedure(WindowHandle hwnd) {
  return reinterpret_cast<WindowProcedure>(GetWindowProperty(hwnd, "PelWindowOrigWndProc"));
}

LResult PassOn(WindowHandle hwnd, uint32_t message, WParam wParam, LParam lParam) {
  WindowProcedure previous = PreviousProcedure(hwnd);
  return previous != nullptr ? CallWindowProcedure(previous, hwnd, message, wParam, lParam)
                             : DefaultWindowProcedure(hwnd, message, wParam, lParam);
}

// -1 from a handler ends the message; anything else lets it go on.
LResult Result(intptr_t handled, WindowHandle hwnd, uint32_t message, WParam wParam, LParam lParam) {
  return handled == Handled ? 0 : PassOn(hwnd, message, wParam, lParam);
}

uint8_t Modifiers() {
  return static_cast<uint8_t>((IsKeyDown(VK_CONTROL) ? 1 : 0) | (IsKeyDown(VK_SHIFT) ? 2 : 0) |
                              (IsKeyDown(VK_MENU) ? 4 : 0));
}

const char* MessageName(uint32_t message) {
  switch (message) {
    case WM_DESTROY: return "WM_DESTROY";
    case WM_SIZE: return "WM_SIZE";
    case WM_GETMINMAXINFO: return "WM_GETMINMAXINFO";
    case WM_EXITSIZEMOVE: return "WM_EXITSIZEMOVE";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_VSCROLL: return "WM_VSCROLL";
    case WM_HSCROLL: return "WM_HSCROLL";
    case WM_ERASEBKGND: return "WM_ERASEBKGND";
    case WM_PAINT: return "WM_PAINT";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
    case WM_MBUTTONUP: return "WM_MBUTTONUP";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    case WM_TIMER: return "WM_TIMER";
    case WM_NOTIFY: return "WM_NOTIFY";
    case WM_COMMAND: return "WM_COMMAND";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    case WM_TRAY_MESSAGE: return "WM_TRAY_MESSAGE";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_QUERYENDSESSION: return "WM_QUERYENDSESSION";
    default: return nullptr;
  }
}

void TraceMessage(WindowHandle hwnd, const PelWindow& window, uint32_t message, WParam wParam, LParam lParam) {
  auto record = static_cast<unsigned>(reinterpret_cast<uintptr_t>(&window));
  auto w = static_cast<unsigned>(wParam);
  auto l = static_cast<unsigned>(lParam);
  if (const char* name = MessageName(message)) {
    Trace("%s %X WW=%X hWnd=%X %s wParam=%X lParam=%X", "PelWndProc", hwnd, record, window.hwnd, name, w, l);
  } else {
    Trace("%s %X WW=%X hWnd=%X message=%X wParam=%X lParam=%X", "PelWndProc", hwnd, record, window.hwnd, message, w, l);
  }
}

LResult Paint(PelWindow& window) {
  DrawingSurface surface = BeginPaint(window.hwnd);
  PaintCanvas canvas{&surface,         window.font,       window.backgroundColour, window.textColour,
                     window.fontFace,  window.fontHeight, window.bold,             window.italic,
                     window.underline};
  FillBox(surface, surface.Bounds(), BrushColour(window.backgroundBrush));
  if (window.vtable->OnPaint != nullptr) window.vtable->OnPaint(&window, &canvas);
  EndPaint(window.hwnd, surface);
  return 0;
}

// Client sizes from the handler become the outer sizes the desktop keeps to.
LResult TrackingSizes(PelWindow& window, LParam lParam) {
  auto* info = reinterpret_cast<MinMaxInfo*>(lParam);
  int32_t sizes[4] = {GetSystemMetric(SM_CXMINTRACK), GetSystemMetric(SM_CYMINTRACK), GetSystemMetric(SM_CXMAXTRACK),
                      GetSystemMetric(SM_CYMAXTRACK)};
  window.vtable->OnGetMinMaxInfo(&window, sizes);
  uint32_t style = PelGetStyle(window);
  auto extended = static_cast<uint32_t>(GetWindowLong(window.hwnd, GWL_EXSTYLE));
  Rect minimum = AdjustWindowRect({0, 0, sizes[0], sizes[1]}, style, extended);
  Rect maximum = AdjustWindowRect({0, 0, sizes[2], sizes[3]}, style, extended);
  info->minimumTrackSize = {minimum.width, minimum.height};
  info->maximumTrackSize = {maximum.width, maximum.height};
  return 0;
}

LResult Destroyed(PelWindow& window, WindowHandle hwnd, uint32_t message, WParam wParam, LParam lParam) {
  if (window.vtable->OnDestroy != nullptr) window.vtable->OnDestroy(&window);
  // Brushes and fonts are values in this window system: nothing to release.
  window.backgroundBrush = 0;
  window.font = 0;
  RemoveWindowProperty(hwnd, "PelWindow");
  WindowProcedure previous = PreviousProcedure(hwnd);
  if (previous != nullptr) {
    SetWindowProcedure(hwnd, previous);
    RemoveWindowProperty(hwnd, "PelWindowOrigWndProc");
  }
  return previous != nullptr ? CallWindowProcedure(previous, hwnd, message, wParam, lParam)
                             : DefaultWindowProcedure(hwnd, message, wParam, lParam);
}

using MouseHandler = intptr_t (*)(PelWindow*, int, int, uint8_t);

MouseHandler MouseSlot(const PelVTable& table, uint32_t message) {
  switch (message) {
    case WM_LBUTTONDOWN: return table.OnLButtonDown;
    case WM_LBUTTONUP: return table.OnLButtonUp;
    case WM_MBUTTONDOWN: return table.OnMButtonDown;
    case WM_MBUTTONUP: return table.OnMButtonUp;
    case WM_RBUTTONDOWN: return table.OnRButtonDown;
    case WM_RBUTTONUP: return table.OnRButtonUp;
    default: return table.OnMouseMove;
  }
}

LResult Mouse(PelWindow& window, bool subclassed, uint32_t message, WParam wParam, LParam lParam) {
  bool otherButton = message != WM_LBUTTONDOWN && message != WM_LBUTTONUP && message != WM_MOUSEMOVE;
  if (subclassed && otherButton) return PassOn(window.hwnd, message, wParam, lParam);
  if (!subclassed) {
    if (message == WM_LBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_RBUTTONDOWN) SetCapture(window.hwnd);
    if (message == WM_LBUTTONUP || message == WM_MBUTTONUP || message == WM_RBUTTONUP) ReleaseCapture();
  }
  MouseHandler handler = MouseSlot(*window.vtable, message);
  Point at = MessagePoint(lParam);
  return Result(handler == nullptr ? 0 : handler(&window, at.x, at.y, Modifiers()), window.hwnd, message, wParam, lParam);
}

LResult Wheel(PelWindow& window, bool subclassed, WParam wParam, LParam lParam) {
  if (subclassed) return PassOn(window.hwnd, WM_MOUSEWHEEL, wParam, lParam);
  window.wheelRemainder += static_cast<int16_t>(HighWord(wParam));
  int notches = window.wheelRemainder / WHEEL_DELTA;
  window.wheelRemainder -= notches * WHEEL_DELTA;
  auto handler = window.vtable->OnMouseWheel;
  return Result(handler == nullptr ? 0 : handler(&window, notches, Modifiers()), window.hwnd, WM_MOUSEWHEEL, wParam,
                lParam);
}

LResult ControlColours(WindowHandle hwnd, uint32_t message, WParam wParam, LParam lParam) {
  PelWindow* control = RecordOf(static_cast<WindowHandle>(lParam));
  if (control == nullptr) return PassOn(hwnd, message, wParam, lParam);
  auto* surface = reinterpret_cast<DrawingSurface*>(wParam);
  surface->textColour = control->textColour;
  surface->backgroundColour = control->backgroundColour;
  return static_cast<LResult>(control->backgroundBrush);
}

LResult Command(PelWindow& window, WParam wParam, LParam lParam) {
  if (lParam == 0) {
    auto handler = window.vtable->OnCommand;
    return Result(handler == nullptr ? 0 : handler(&window, LowWord(wParam)), window.hwnd, WM_COMMAND, wParam, lParam);
  }
  PelWindow* control = RecordOf(static_cast<WindowHandle>(lParam));
  auto handler = control == nullptr ? nullptr : control->vtable->OnControlCommand;
  return Result(handler == nullptr ? 0 : handler(control, HighWord(wParam)), window.hwnd, WM_COMMAND, wParam, lParam);
}

LResult Notify(PelWindow& window, WParam wParam, LParam lParam) {
  auto* header = reinterpret_cast<NotifyHeader*>(lParam);
  PelWindow* control = header == nullptr ? nullptr : RecordOf(header->from);
  auto handler = control == nullptr ? nullptr : control->vtable->OnNotify;
  return Result(handler == nullptr ? 0 : handler(control, header), window.hwnd, WM_NOTIFY, wParam, lParam);
}

template <class Handler, class... Arguments>
LResult Call(Handler handler, PelWindow& window, uint32_t message, WParam wParam, LParam lParam,
             Arguments... arguments) {
  return Result(handler == nullptr ? 0 : handler(&window, arguments...), window.hwnd, message, wParam, lParam);
}

}  // namespace

LResult PelWndProc(WindowHandle hwnd, uint32_t message, WParam wParam, LParam lParam) {
  PelWindow* record = RecordOf(hwnd);
  if (record == nullptr) {
    // Messages sent while the window is being created, before the record is attached.
    Trace("%s %X NO PELWINDOW message=%X wParam=%X lParam=%X", "PelWndProc", hwnd, message,
          static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
    return PassOn(hwnd, message, wParam, lParam);
  }
  PelWindow& window = *record;
  const PelVTable& table = *window.vtable;
  bool subclassed = PreviousProcedure(hwnd) != nullptr;
  TraceMessage(hwnd, window, message, wParam, lParam);
  switch (message) {
    case WM_DESTROY:
      return Destroyed(window, hwnd, message, wParam, lParam);
    case WM_CLOSE:
      if (table.OnClose != nullptr) table.OnClose(&window);
      return 0;
    case WM_QUERYENDSESSION:
      ExitRequested = true;
      return 1;
    case WM_ERASEBKGND:
      return subclassed ? PassOn(hwnd, message, wParam, lParam) : 1;
    case WM_PAINT:
      return subclassed ? PassOn(hwnd, message, wParam, lParam) : Paint(window);
    case WM_GETMINMAXINFO:
      if (subclassed || table.OnGetMinMaxInfo == nullptr) return PassOn(hwnd, message, wParam, lParam);
      return TrackingSizes(window, lParam);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return ControlColours(hwnd, message, wParam, lParam);
    case WM_COMMAND:
      return Command(window, wParam, lParam);
    case WM_NOTIFY:
      return Notify(window, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
      return Mouse(window, subclassed, message, wParam, lParam);
    case WM_MOUSEWHEEL:
      return Wheel(window, subclassed, wParam, lParam);
    case WM_SIZE:
      return Call(table.OnSize, window, message, wParam, lParam);
    case WM_EXITSIZEMOVE:
      return Call(table.OnExitSizeMove, window, message, wParam, lParam);
    case WM_SETFOCUS:
      return Call(table.OnSetFocus, window, message, wParam, lParam);
    case WM_KILLFOCUS:
      return Call(table.OnKillFocus, window, message, wParam, lParam);
    case WM_VSCROLL:
      return Call(table.OnVScroll, window, message, wParam, lParam, LowWord(wParam), HighWord(wParam));
    case WM_HSCROLL:
      return Call(table.OnHScroll, window, message, wParam, lParam, LowWord(wParam), HighWord(wParam));
    case WM_KEYDOWN:
      return Call(table.OnKeyDown, window, message, wParam, lParam, static_cast<uint32_t>(wParam), Modifiers());
    case WM_KEYUP:
      return Call(table.OnKeyUp, window, message, wParam, lParam, static_cast<uint32_t>(wParam), Modifiers());
    case WM_CHAR:
      return Call(table.OnChar, window, message, wParam, lParam, static_cast<uint32_t>(LowWord(wParam)));
    case WM_TIMER:
      return Call(table.OnTimer, window, message, wParam, lParam, static_cast<uintptr_t>(wParam));
    case WM_SYSCOMMAND: {
      Point at = MessagePoint(lParam);
      return Call(table.OnSysCommand, window, message, wParam, lParam, static_cast<uint32_t>(wParam & 0xFFF0), at.x,
                  at.y, static_cast<int>(LowWord(static_cast<uintptr_t>(lParam))));
    }
    default:
      if (message >= WM_USER && message < WM_APP) {
        return Call(table.OnUserMessage, window, message, wParam, lParam, message, wParam, lParam);
      }
      if (message >= WM_APP && message < 0xC000) {
        return Call(table.OnAppMessage, window, message, wParam, lParam, message, wParam, lParam);
      }
      return PassOn(hwnd, message, wParam, lParam);
  }
}
