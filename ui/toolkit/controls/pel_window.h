// Window objects: every window the tool shows (its forms and every control on them) is
// a PelWindow, a small record that owns one window and points at a table of handlers
// shared by all windows of its kind. One window procedure, PelWndProc, receives the
// messages of all of them, finds the record through the window's "PelWindow" property
// and calls the handler. A handler's result -1 means "handled"; any other result lets
// the message go on to the system's treatment. Forms are records whose first member is
// a PelWindow, followed by their controls and their own state.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "runtime/string.h"
#include "ui/toolkit/core/window_system.h"

struct PelWindow;
struct PaintCanvas;

inline constexpr intptr_t Handled = -1;

// The 29 handler slots, in this order; a null slot is no handler. Modifiers: bit 0 Ctrl,
// bit 1 Shift, bit 2 Alt, as held when the message was taken from the queue.
struct PelVTable {
  intptr_t (*OnCreate)(PelWindow* window) = nullptr;
  intptr_t (*OnDestroy)(PelWindow* window) = nullptr;
  // Minimum width, minimum height, maximum width, maximum height, as client sizes.
  intptr_t (*OnGetMinMaxInfo)(PelWindow* window, int32_t* sizes) = nullptr;
  intptr_t (*OnSize)(PelWindow* window) = nullptr;
  intptr_t (*OnExitSizeMove)(PelWindow* window) = nullptr;
  intptr_t (*OnPaint)(PelWindow* window, PaintCanvas* canvas) = nullptr;
  intptr_t (*OnSetFocus)(PelWindow* window) = nullptr;
  intptr_t (*OnKillFocus)(PelWindow* window) = nullptr;
  intptr_t (*OnVScroll)(PelWindow* window, int code, int position) = nullptr;
  intptr_t (*OnHScroll)(PelWindow* window, int code, int position) = nullptr;
  intptr_t (*OnKeyDown)(PelWindow* window, uint32_t key, uint8_t modifiers) = nullptr;
  intptr_t (*OnKeyUp)(PelWindow* window, uint32_t key, uint8_t modifiers) = nullptr;
  intptr_t (*OnChar)(PelWindow* window, uint32_t character) = nullptr;
  intptr_t (*OnLButtonDown)(PelWindow* window, int x, int y, uint8_t modifiers) = nullptr;
  intptr_t (*OnLButtonUp)(PelWindow* window, int x, int y, uint8_t modifiers) = nullptr;
  intptr_t (*OnMButtonDown)(PelWindow* window, int x, int y, uint8_t modifiers) = nullptr;
  intptr_t (*OnMButtonUp)(PelWindow* window, int x, int y, uint8_t modifiers) = nullptr;
  intptr_t (*OnRButtonDown)(PelWindow* window, int x, int y, uint8_t modifiers) = nullptr;
  intptr_t (*OnRButtonUp)(PelWindow* window, int x, int y, uint8_t modifiers) = nullptr;
  intptr_t (*OnMouseMove)(PelWindow* window, int x, int y, uint8_t modifiers) = nullptr;
  // Whole notches (120 units each); what is left over waits for the next turn.
  intptr_t (*OnMouseWheel)(PelWindow* window, int notches, uint8_t modifiers) = nullptr;
  intptr_t (*OnTimer)(PelWindow* window, uintptr_t id) = nullptr;
  // The only way WM_CLOSE is handled: a window closes when its handler destroys it.
  intptr_t (*OnClose)(PelWindow* window) = nullptr;
  // WM_COMMAND from a menu or an accelerator: the command id.
  intptr_t (*OnCommand)(PelWindow* window, int id) = nullptr;
  // WM_SYSCOMMAND: the command (low four bits cleared), x, y and the low word of lParam.
  intptr_t (*OnSysCommand)(PelWindow* window, uint32_t command, int x, int y, int lowWord) = nullptr;
  // Called on the control that sent the WM_NOTIFY.
  intptr_t (*OnNotify)(PelWindow* window, NotifyHeader* header) = nullptr;
  // Called on the control that sent the WM_COMMAND: its notification code.
  intptr_t (*OnControlCommand)(PelWindow* window, int notification) = nullptr;
  // Messages 0x0400 to 0x7FFF and 0x8000 to 0xBFFF.
  intptr_t (*OnUserMessage)(PelWindow* window, uint32_t message, WParam wParam, LParam lParam) = nullptr;
  intptr_t (*OnAppMessage)(PelWindow* window, uint32_t message, WParam wParam, LParam lParam) = nullptr;
};

struct PelWindow {
  const PelVTable* vtable = nullptr;
  WindowHandle hwnd = 0;
  BrushHandle backgroundBrush = 0;
  FontHandle font = 0;
  PelWindow* parent = nullptr;
  int32_t dpiX = 0;
  int32_t dpiY = 0;
  int32_t wheelRemainder = 0;
  Colour backgroundColour = 0;
  Colour textColour = 0;
  String fontFace;
  // Character height in pixels.
  int32_t fontHeight = 0;
  bool bold = false, italic = false, underline = false;
};

// What OnPaint draws on: the window's picture for this paint, already filled with the
// background colour, with the window's font, fill (background) and pen (text) colours.
struct PaintCanvas {
  DrawingSurface* surface = nullptr;
  FontHandle font = 0;
  Colour fillColour = 0;
  Colour penColour = 0;
  String fontFace;
  int32_t fontHeight = 0;
  bool bold = false, italic = false, underline = false;
};

// The toolkit's window class ("PelWindow"); registered by InitialiseWindowToolkit.
LResult PelWndProc(WindowHandle hwnd, uint32_t message, WParam wParam, LParam lParam);

// An empty class name is the toolkit's own class; any other is a system control, whose
// procedure PelWndProc takes over. -1 for x, y, width or height: the system's default.
// Children copy the parent's colours and font as they are at this moment.
bool CreatePelWindow(PelWindow& window, const PelVTable* vtable, PelWindow* parent, std::string_view text,
                     uint32_t style, uint32_t extendedStyle, std::string_view className, int x, int y, int width,
                     int height);
// The record stays its owner's; only the window goes.
void DestroyPelWindow(PelWindow& window);

// Geometry, in pixels; the scale operations turn points into pixels (v × dpi / 72).
void PelSetClientSize(PelWindow& window, int width, int height);
Size PelGetClientSize(PelWindow& window);
Rect PelGetWindowRect(PelWindow& window);
void PelMove(PelWindow& window, int x, int y, int width, int height, bool repaint);
int PelScaleX(const PelWindow& window, int points);
int PelScaleY(const PelWindow& window, int points);
Rect PelScale(const PelWindow& window, int x, int y, int width, int height);
// A layout box (left, top, right, bottom in points) as pixels.
Rect PelScaleBox(const PelWindow& window, int left, int top, int right, int bottom);

bool PelIsVisible(PelWindow& window);
void PelShow(PelWindow& window, bool show);
void PelShowCommand(PelWindow& window, int command);
bool PelIsEnabled(PelWindow& window);
void PelEnable(PelWindow& window, bool enable);
void PelSetFocus(PelWindow& window);
void PelBringToForeground(PelWindow& window);
// The whole client area, without erasing.
void PelInvalidate(PelWindow& window);

int PelTextLength(PelWindow& window);
String PelGetText(PelWindow& window);
void PelSetText(PelWindow& window, std::string_view text);

uint32_t PelGetStyle(PelWindow& window);
void PelSetStyle(PelWindow& window, uint32_t style);
intptr_t PelGetId(PelWindow& window);
void PelSetId(PelWindow& window, intptr_t id);

// Colours take effect at the next paint; controls created later inherit them.
Colour PelGetBackgroundColour(const PelWindow& window);
void PelSetBackgroundColour(PelWindow& window, Colour colour);
Colour PelGetTextColour(const PelWindow& window);
void PelSetTextColour(PelWindow& window, Colour colour);
FontDescription PelGetFont(const PelWindow& window);
void PelSetFont(PelWindow& window, std::string_view face, int height, bool bold, bool italic, bool underline);

void PelSetTimer(PelWindow& window, uintptr_t id, uint32_t milliseconds);
void PelKillTimer(PelWindow& window, uintptr_t id);
LResult PelSendMessage(PelWindow& window, uint32_t message, WParam wParam, LParam lParam);
bool PelPostMessage(PelWindow& window, uint32_t message, WParam wParam, LParam lParam);

void PelCreateCaret(PelWindow& window, int width, int height);
void PelDestroyCaret(PelWindow& window);
void PelShowCaret(PelWindow& window);
void PelHideCaret(PelWindow& window);
void PelSetCaretPosition(PelWindow& window, int x, int y);

// The program's bitmaps by number (none is built in; a module that carries images
// registers them at start).
void RegisterBitmapResource(int id, Bitmap bitmap);
// True if the bitmap is there; it stays loaded until deleted.
bool PelLoadBitmap(int id, std::shared_ptr<const Bitmap>& bitmap);
void PelDeleteBitmap(std::shared_ptr<const Bitmap>& bitmap);

// Drawing on the canvas of OnPaint.
Colour CanvasGetPixel(PaintCanvas& canvas, int x, int y);
void CanvasSetPixel(PaintCanvas& canvas, int x, int y, Colour colour);
void CanvasLine(PaintCanvas& canvas, int x1, int y1, int x2, int y2, Colour colour);
void CanvasFilledBox(PaintCanvas& canvas, Rect box, Colour colour);
void CanvasFramedBox(PaintCanvas& canvas, Rect box, Colour colour);
// Filled with the fill colour, outlined in the pen colour.
void CanvasRectangle(PaintCanvas& canvas, Rect box);
void CanvasRoundRectangle(PaintCanvas& canvas, Rect box, int cornerWidth, int cornerHeight);
void CanvasEllipse(PaintCanvas& canvas, Rect box);
void CanvasArc(PaintCanvas& canvas, Rect box, Point start, Point end);
Size CanvasMeasureText(PaintCanvas& canvas, std::string_view text);
// In the pen colour, on a transparent background; format: DT_... flags.
void CanvasDrawText(PaintCanvas& canvas, Rect box, std::string_view text, uint32_t format);
