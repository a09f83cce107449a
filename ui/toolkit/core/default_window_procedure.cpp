// What a window does with a message its own procedure leaves alone.
#include "ui/toolkit/core/window_backend.h"
#include "ui/toolkit/core/window_core.h"

namespace {

LResult StoreText(WindowHandle window, const char* text) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  record->text = text == nullptr ? "" : text;
  record->needsPaint = true;
  if (IsTopLevel(*record)) Backend().UpdateTopLevel(window, DescribeTopLevel(*record));
  return 1;
}

LResult StoreFont(WindowHandle window, FontHandle font, bool redraw) {
  WindowGuard guard(WindowLock);
  if (WindowRecord* record = FindWindow(window)) {
    record->font = font;
    if (redraw) record->needsPaint = true;
  }
  return 0;
}

// The window that becomes active takes the focus unless it already holds it inside;
// the one that stops being active gives it up.
void Activation(WindowHandle window, bool active) {
  WindowHandle focus = GetFocus();
  bool focusInside = focus != 0 && IsWithin(focus, window);
  if (active) {
    {
      WindowGuard guard(WindowLock);
      CurrentQueue().active = window;
    }
    if (!focusInside) SetFocus(window);
  } else if (focusInside) {
    SetFocus(0);
  }
}

LResult ControlColours(uint32_t message, WParam wParam) {
  auto* surface = reinterpret_cast<DrawingSurface*>(wParam);
  bool white = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  Colour background = SystemColour(white ? COLOR_WINDOW : COLOR_BTNFACE);
  if (surface != nullptr) {
    surface->textColour = SystemColour(COLOR_WINDOWTEXT);
    surface->backgroundColour = background;
  }
  return static_cast<LResult>(SolidBrush(background));
}

int BackgroundIndex(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  return record == nullptr ? COLOR_WINDOW : record->backgroundColourIndex;
}

}  // namespace

LResult DefaultWindowProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  switch (message) {
    case WM_NCCREATE:
      return 1;
    case WM_SETTEXT:
      return StoreText(window, reinterpret_cast<const char*>(lParam));
    case WM_SETFONT:
      return StoreFont(window, static_cast<FontHandle>(wParam), lParam != 0);
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessage(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_ACTIVATE:
      Activation(window, LowWord(wParam) != WA_INACTIVE);
      return 0;
    case WM_ERASEBKGND: {
      auto* surface = reinterpret_cast<DrawingSurface*>(wParam);
      FillBox(*surface, surface->Bounds(), SystemColour(BackgroundIndex(window)));
      return 1;
    }
    case WM_PAINT: {
      DrawingSurface surface = BeginPaint(window);
      EndPaint(window, surface);
      return 0;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return ControlColours(message, wParam);
    case WM_MOUSEWHEEL: {
      // Unused wheel turns go to the parent, as a person expects of a control in a form.
      WindowGuard guard(WindowLock);
      WindowRecord* record = FindWindow(window);
      WindowHandle parent = record != nullptr && !IsTopLevel(*record) ? record->parent : 0;
      guard.unlock();
      return parent == 0 ? 0 : SendMessage(parent, message, wParam, lParam);
    }
    case WM_QUERYENDSESSION:
      return 1;
    default:
      return 0;
  }
}
