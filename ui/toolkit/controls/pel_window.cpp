// The PelWindow records: made with their handler tables and destroyed, and the window
// system's calls made on their windows (size, place, show, text, colours, font, timers).
#include "ui/toolkit/controls/pel_window.h"

#include "runtime/trace.h"

namespace {

int Given(int value) { return value == -1 ? CW_USEDEFAULT : value; }

unsigned Hex(const void* pointer) { return static_cast<unsigned>(reinterpret_cast<uintptr_t>(pointer)); }

void MakeFont(PelWindow& window) {
  window.font = CreateFont({std::string(window.fontFace.View()), window.fontHeight, window.bold, window.italic,
                            window.underline});
  SendMessage(window.hwnd, WM_SETFONT, window.font, 0);
}

}  // namespace

bool CreatePelWindow(PelWindow& window, const PelVTable* vtable, PelWindow* parent, std::string_view text,
                     uint32_t style, uint32_t extendedStyle, std::string_view className, int x, int y, int width,
                     int height) {
  window = PelWindow{};
  if (vtable == nullptr) {
    Trace("No VTable");
    return false;
  }
  window.vtable = vtable;
  window.parent = parent;
  if (parent != nullptr) {
    window.backgroundColour = parent->backgroundColour;
    window.textColour = parent->textColour;
    window.fontFace = parent->fontFace;
    window.fontHeight = parent->fontHeight;
    window.bold = parent->bold;
    window.italic = parent->italic;
    window.underline = parent->underline;
  } else {
    window.backgroundColour = SystemColour(COLOR_WINDOW);
    window.textColour = SystemColour(COLOR_WINDOWTEXT);
    window.fontFace = "Arial";
    window.fontHeight = 24;
  }
  bool systemClass = !className.empty();
  std::string windowClass = systemClass ? std::string(className) : "PelWindow";
  WindowCreation creation;
  creation.extendedStyle = extendedStyle;
  creation.className = windowClass;
  creation.text = text;
  creation.style = style;
  creation.x = Given(x);
  creation.y = Given(y);
  creation.width = Given(width);
  creation.height = Given(height);
  creation.parent = parent == nullptr ? 0 : parent->hwnd;
  window.hwnd = CreateWindow(creation);
  Trace("%s %X hWnd=%X Parent=%X ParentHWnd=%X vtable=%X class=%s", "CreatePelWindow", Hex(&window), window.hwnd,
        Hex(parent), parent == nullptr ? 0u : parent->hwnd, Hex(vtable), windowClass.c_str());
  if (window.hwnd == 0) {
    Trace("CreateWindowEx failed");
    return false;
  }
  if (!SetWindowProperty(window.hwnd, "PelWindow", reinterpret_cast<intptr_t>(&window))) {
    Trace("SetProp failed");
    DestroyWindow(window.hwnd);
    window.hwnd = 0;
    return false;
  }
  if (systemClass) {
    WindowProcedure previous = SetWindowProcedure(window.hwnd, PelWndProc);
    if (!SetWindowProperty(window.hwnd, "PelWindowOrigWndProc", reinterpret_cast<intptr_t>(previous))) {
      Trace("SetProp failed");
      SetWindowProcedure(window.hwnd, previous);
      DestroyWindow(window.hwnd);
      window.hwnd = 0;
      return false;
    }
  }
  window.dpiX = window.dpiY = WindowDpi(window.hwnd);
  if (vtable->OnCreate != nullptr) vtable->OnCreate(&window);
  window.backgroundBrush = SolidBrush(window.backgroundColour);
  MakeFont(window);
  return true;
}

void DestroyPelWindow(PelWindow& window) {
  Trace("%s %X hWnd=%X", "DestroyPelWindow", Hex(&window), window.hwnd);
  if (window.hwnd != 0) DestroyWindow(window.hwnd);
  window.hwnd = 0;
}

void PelSetClientSize(PelWindow& window, int width, int height) {
  Rect now = GetWindowRect(window.hwnd);
  if (PelGetStyle(window) & WS_CHILD) {
    Point corner = ScreenToClient(GetParent(window.hwnd), {now.x, now.y});
    MoveWindow(window.hwnd, corner.x, corner.y, width, height, true);
    return;
  }
  Rect outer = AdjustWindowRect({0, 0, width, height}, PelGetStyle(window),
                                static_cast<uint32_t>(GetWindowLong(window.hwnd, GWL_EXSTYLE)));
  MoveWindow(window.hwnd, now.x, now.y, outer.width, outer.height, true);
}

Size PelGetClientSize(PelWindow& window) {
  Rect client = GetClientRect(window.hwnd);
  return {client.width, client.height};
}

Rect PelGetWindowRect(PelWindow& window) { return GetWindowRect(window.hwnd); }

void PelMove(PelWindow& window, int x, int y, int width, int height, bool repaint) {
  MoveWindow(window.hwnd, x, y, width, height, repaint);
}

int PelScaleX(const PelWindow& window, int points) { return points * window.dpiX / 72; }
int PelScaleY(const PelWindow& window, int points) { return points * window.dpiY / 72; }

Rect PelScale(const PelWindow& window, int x, int y, int width, int height) {
  return {PelScaleX(window, x), PelScaleY(window, y), PelScaleX(window, width), PelScaleY(window, height)};
}

Rect PelScaleBox(const PelWindow& window, int left, int top, int right, int bottom) {
  return PelScale(window, left, top, right - left, bottom - top);
}

bool PelIsVisible(PelWindow& window) { return IsWindowVisible(window.hwnd); }
void PelShow(PelWindow& window, bool show) { ShowWindow(window.hwnd, show ? SW_SHOW : SW_HIDE); }
void PelShowCommand(PelWindow& window, int command) { ShowWindow(window.hwnd, command); }
bool PelIsEnabled(PelWindow& window) { return IsWindowEnabled(window.hwnd); }
void PelEnable(PelWindow& window, bool enable) { EnableWindow(window.hwnd, enable); }
void PelSetFocus(PelWindow& window) { SetFocus(window.hwnd); }
void PelBringToForeground(PelWindow& window) { SetForegroundWindow(window.hwnd); }
void PelInvalidate(PelWindow& window) { InvalidateWindow(window.hwnd, false); }

int PelTextLength(PelWindow& window) { return GetWindowTextLength(window.hwnd); }
String PelGetText(PelWindow& window) { return String::Copy(GetWindowText(window.hwnd)); }
void PelSetText(PelWindow& window, std::string_view text) { SetWindowText(window.hwnd, text); }

uint32_t PelGetStyle(PelWindow& window) { return static_cast<uint32_t>(GetWindowLong(window.hwnd, GWL_STYLE)); }
void PelSetStyle(PelWindow& window, uint32_t style) { SetWindowLong(window.hwnd, GWL_STYLE, style); }
intptr_t PelGetId(PelWindow& window) { return GetWindowLong(window.hwnd, GWL_ID); }
void PelSetId(PelWindow& window, intptr_t id) { SetWindowLong(window.hwnd, GWL_ID, id); }

Colour PelGetBackgroundColour(const PelWindow& window) { return window.backgroundColour; }

void PelSetBackgroundColour(PelWindow& window, Colour colour) {
  window.backgroundColour = colour;
  window.backgroundBrush = SolidBrush(colour);
}

Colour PelGetTextColour(const PelWindow& window) { return window.textColour; }
void PelSetTextColour(PelWindow& window, Colour colour) { window.textColour = colour; }

FontDescription PelGetFont(const PelWindow& window) {
  return {std::string(window.fontFace.View()), window.fontHeight, window.bold, window.italic, window.underline};
}

void PelSetFont(PelWindow& window, std::string_view face, int height, bool bold, bool italic, bool underline) {
  window.fontFace = String::Copy(face);
  window.fontHeight = height;
  window.bold = bold;
  window.italic = italic;
  window.underline = underline;
  MakeFont(window);
}

void PelSetTimer(PelWindow& window, uintptr_t id, uint32_t milliseconds) { SetTimer(window.hwnd, id, milliseconds); }
void PelKillTimer(PelWindow& window, uintptr_t id) { KillTimer(window.hwnd, id); }

LResult PelSendMessage(PelWindow& window, uint32_t message, WParam wParam, LParam lParam) {
  return SendMessage(window.hwnd, message, wParam, lParam);
}

bool PelPostMessage(PelWindow& window, uint32_t message, WParam wParam, LParam lParam) {
  return PostMessage(window.hwnd, message, wParam, lParam);
}

void PelCreateCaret(PelWindow& window, int width, int height) { CreateCaret(window.hwnd, width, height); }
void PelDestroyCaret(PelWindow&) { DestroyCaret(); }
void PelShowCaret(PelWindow& window) { ShowCaret(window.hwnd); }
void PelHideCaret(PelWindow& window) { HideCaret(window.hwnd); }
void PelSetCaretPosition(PelWindow&, int x, int y) { SetCaretPosition(x, y); }
