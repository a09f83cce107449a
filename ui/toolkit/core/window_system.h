// The window system: windows, their message queues and everything the forms and the
// console window draw and do with them. It stands where the program's windows once
// met the operating system, and keeps that system's rules, because the forms are
// written against them:
//
// - A window belongs to the thread that created it; its window procedure runs only on
//   that thread, inside the thread's message pump (PeekMessage, TranslateMessage,
//   DispatchMessage). Every thread that creates windows has its own queue.
// - Posting puts a message into the owner's queue; sending calls the procedure at once
//   on the owner thread, or waits until the owner thread pumps (so a thread must not
//   send to a thread that does not pump; the console thread posts).
// - WM_PAINT and WM_TIMER are made when a thread finds its queue empty; timers run on
//   the program's clock (runtime/clock.h), so tests move them in virtual time.
// - A paint leaves a picture (the drawing commands of drawing.h) that the backend shows
//   and shows again whenever needed, without the owner thread: a window whose thread
//   is busy still repaints, with what it last painted.
//
// Two backends carry it out (window_backend.h): FLTK on the display, and headless
// (tests, scripts, no display): QUARNET_UI=headless or no DISPLAY. The operator's
// actions of the headless tests are in operator_actions.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/toolkit/core/drawing.h"
#include "ui/toolkit/core/window_constants.h"

using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;
using WindowProcedure = LResult (*)(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

inline uint16_t LowWord(uintptr_t value) { return static_cast<uint16_t>(value & 0xFFFF); }
inline uint16_t HighWord(uintptr_t value) { return static_cast<uint16_t>(value >> 16 & 0xFFFF); }
inline uintptr_t MakeLong(uint16_t low, uint16_t high) { return uintptr_t{high} << 16 | low; }
// The point of a mouse message: the signed halves of lParam.
inline Point MessagePoint(LParam lParam) {
  return {static_cast<int16_t>(LowWord(static_cast<uintptr_t>(lParam))),
          static_cast<int16_t>(HighWord(static_cast<uintptr_t>(lParam)))};
}
inline LParam PointParameter(Point point) {
  return static_cast<LParam>(MakeLong(static_cast<uint16_t>(point.x), static_cast<uint16_t>(point.y)));
}

struct Message {
  WindowHandle window = 0;
  uint32_t message = 0;
  WParam wParam = 0;
  LParam lParam = 0;
  // WM_KEYDOWN: the character the key makes (0: none), turned into WM_CHAR by
  // TranslateMessage.
  uint32_t character = 0;
  // Input messages: the keys and buttons held (KeyShift ...), as IsKeyDown reports them
  // once the message has been taken from the queue.
  uint32_t keys = 0;
};

inline constexpr uint32_t KeyShift = 0x01;
inline constexpr uint32_t KeyControl = 0x02;
inline constexpr uint32_t KeyAlt = 0x04;
inline constexpr uint32_t KeyLeftButton = 0x10;
inline constexpr uint32_t KeyMiddleButton = 0x20;
inline constexpr uint32_t KeyRightButton = 0x40;

struct WindowClass {
  std::string name;
  WindowProcedure procedure = nullptr;
  // The colour DefaultWindowProcedure erases the background with.
  int backgroundColourIndex = COLOR_WINDOW;
};

struct WindowCreation {
  uint32_t extendedStyle = 0;
  std::string className;
  std::string text;
  uint32_t style = 0;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
  // The parent of a child window (WS_CHILD), else the owner of a top-level window.
  WindowHandle parent = 0;
  intptr_t id = 0;
  // Handed to WM_NCCREATE and WM_CREATE in lParam.
  void* parameter = nullptr;
};

// WM_GETMINMAXINFO: outer sizes (AdjustWindowRect) a top-level window may be given.
struct MinMaxInfo {
  Size minimumTrackSize;
  Size maximumTrackSize;
};

// WM_NOTIFY: lParam points at a record that starts with this header.
struct NotifyHeader {
  WindowHandle from = 0;
  intptr_t id = 0;
  int code = 0;
};

struct UpDownNotification {
  NotifyHeader header;
  int position = 0;
  int delta = 0;
};

// TVM_INSERTITEM: lParam points at this record; the result is the new item (0 on
// failure). Items are added at the root, after the last.
struct TreeViewInsertion {
  intptr_t parent = TVI_ROOT;
  intptr_t insertAfter = TVI_LAST;
  uint32_t mask = TVIF_TEXT;
  std::string text;
};

// TVM_GETITEM: lParam points at this record; the item's text is filled in.
struct TreeViewItem {
  intptr_t item = 0;
  uint32_t mask = TVIF_TEXT;
  std::string text;
};

struct ScrollInfo {
  uint32_t mask = 0;
  int minimum = 0, maximum = 0;
  int page = 0;
  int position = 0;
  int trackPosition = 0;
};

enum class MouseCursor { Arrow, Wait };

// ---- Start and end -------------------------------------------------------------

// Starts the display backend the program installed (window_backend.h) when a display is there (unless
// QUARNET_UI=headless), else, or when it fails to start, the headless one. Once per
// process; later calls do nothing.
void StartWindowSystem();
// The headless backend, for tests; windows of earlier tests are destroyed first.
void StartHeadlessWindowSystem();
bool WindowSystemIsHeadless();
// Destroys every window left (on any thread), forgets every queue, stops the backend.
void StopWindowSystem();

// ---- Classes and windows -------------------------------------------------------

bool RegisterWindowClass(const WindowClass& windowClass);
// 0 on failure. Sends WM_GETMINMAXINFO (top-level windows), WM_NCCREATE, WM_CREATE
// (-1 from it fails the creation), WM_SIZE and WM_MOVE, then shows the window when
// the style has WS_VISIBLE. A child is placed below its earlier siblings, so the
// first child created is on top.
WindowHandle CreateWindow(const WindowCreation& creation);
// On the owner thread only: owned windows, then WM_DESTROY to the window and then to
// each child, WM_NCDESTROY last. Timers, focus, capture and caret on it go with it.
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);
std::string GetClassName(WindowHandle window);
// The parent of a child, the owner of a top-level window.
WindowHandle GetParent(WindowHandle window);
WindowHandle GetTopLevel(WindowHandle window);
// In creation order (top of the z-order first).
std::vector<WindowHandle> GetChildren(WindowHandle window);
// The window's procedure; setting returns the one it replaces (subclassing).
WindowProcedure GetWindowProcedure(WindowHandle window);
WindowProcedure SetWindowProcedure(WindowHandle window, WindowProcedure procedure);
LResult CallWindowProcedure(WindowProcedure procedure, WindowHandle window, uint32_t message, WParam wParam,
                            LParam lParam);
LResult DefaultWindowProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// Named values kept on a window; 0 when missing.
bool SetWindowProperty(WindowHandle window, std::string_view name, intptr_t value);
intptr_t GetWindowProperty(WindowHandle window, std::string_view name);
void RemoveWindowProperty(WindowHandle window, std::string_view name);

// GWL_STYLE, GWL_EXSTYLE, GWL_ID. Setting returns the old value.
intptr_t GetWindowLong(WindowHandle window, int index);
intptr_t SetWindowLong(WindowHandle window, int index, intptr_t value);

// ---- Messages ------------------------------------------------------------------

bool PostMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
LResult SendMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
// The calling thread's next message: messages sent by other threads are handled first,
// then posted and input messages in order, then WM_PAINT, then due WM_TIMER. A filter
// window or message range (0, 0 for all) limits what is taken. WM_PAINT stays until
// the window has painted.
bool PeekMessage(Message& message, bool remove, WindowHandle filter = 0, uint32_t first = 0,
                 uint32_t last = 0);
// WM_KEYDOWN with a character puts WM_CHAR at the front of the queue.
void TranslateMessage(const Message& message);
LResult DispatchMessage(const Message& message);
// Makes the calling thread's next PeekMessage return WM_QUIT (window 0, wParam code).
void PostQuitMessage(int code);

// ---- Timers --------------------------------------------------------------------

// WM_TIMER with the id every period (0 counts as 10 ms), on the program's clock.
bool SetTimer(WindowHandle window, uintptr_t id, uint32_t milliseconds);
bool KillTimer(WindowHandle window, uintptr_t id);

// ---- Geometry ------------------------------------------------------------------

// Relative to the parent's client area, or to the screen for a top-level window.
bool MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint);
// In screen coordinates.
Rect GetWindowRect(WindowHandle window);
// Origin 0, 0: the area inside borders and scroll bars.
Rect GetClientRect(WindowHandle window);
Point ClientToScreen(WindowHandle window, Point point);
Point ScreenToClient(WindowHandle window, Point point);
// The outer rectangle of a window whose client area is `client`. A top-level window's
// frame and caption belong to the desktop and are not counted.
Rect AdjustWindowRect(Rect client, uint32_t style, uint32_t extendedStyle);
int GetSystemMetric(int index);
// Pixels per inch of the display the window is on.
int WindowDpi(WindowHandle window);

// ---- State ---------------------------------------------------------------------

// Returns whether the window was visible. SW_SHOWNORMAL, SW_SHOW and SW_RESTORE also
// activate a top-level window: WM_ACTIVATE, and the focus moves into it.
bool ShowWindow(WindowHandle window, int command);
// The window and all its parents are shown.
bool IsWindowVisible(WindowHandle window);
// Returns whether the window was disabled. A disabled window and its children get no
// input; disabling the window with the focus takes the focus away.
bool EnableWindow(WindowHandle window, bool enable);
bool IsWindowEnabled(WindowHandle window);
// The calling thread's focus; a window of another thread cannot take it. Sends
// WM_KILLFOCUS and WM_SETFOCUS. Returns the window that had it.
WindowHandle SetFocus(WindowHandle window);
WindowHandle GetFocus();
// The calling thread's active top-level window.
WindowHandle GetActiveWindow();
bool SetForegroundWindow(WindowHandle window);
// The whole client area is painted at the next WM_PAINT; erase: WM_ERASEBKGND first.
void InvalidateWindow(WindowHandle window, bool erase = false);
// Paints now when the window waits for a paint.
void UpdateWindow(WindowHandle window);

// The font the window was given with WM_SETFONT (0: the system font).
FontHandle GetWindowFont(WindowHandle window);

bool SetWindowText(WindowHandle window, std::string_view text);
std::string GetWindowText(WindowHandle window);
int GetWindowTextLength(WindowHandle window);

// ---- Input state ---------------------------------------------------------------

// Mouse messages go to the capture window while it holds the capture.
WindowHandle SetCapture(WindowHandle window);
void ReleaseCapture();
WindowHandle GetCapture();
// VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON, VK_MBUTTON, VK_RBUTTON as they were when
// the calling thread took its latest input message from its queue.
bool IsKeyDown(uint32_t virtualKey);

// The calling thread's caret: one at a time, drawn (blinking) over its window's picture.
bool CreateCaret(WindowHandle window, int width, int height);
bool DestroyCaret();
bool ShowCaret(WindowHandle window);
bool HideCaret(WindowHandle window);
bool SetCaretPosition(int x, int y);

// ---- Scroll bars (windows with WS_VSCROLL or WS_HSCROLL) -----------------------

// Clicks on a bar send WM_VSCROLL or WM_HSCROLL (SB_LINEUP ... SB_THUMBTRACK,
// SB_THUMBPOSITION, SB_ENDSCROLL); the window moves the position itself.
int SetScrollInfo(WindowHandle window, int bar, const ScrollInfo& info, bool redraw);
bool GetScrollInfo(WindowHandle window, int bar, ScrollInfo& info);
// ESB_ENABLE_BOTH or ESB_DISABLE_BOTH.
bool EnableScrollBar(WindowHandle window, int bar, int arrows);

// ---- Painting ------------------------------------------------------------------

// Within WM_PAINT: a surface of the client size, with the window's font and the
// default colours; WM_ERASEBKGND is sent first when the background is to be erased.
// EndPaint makes what was drawn the window's picture.
DrawingSurface BeginPaint(WindowHandle window);
void EndPaint(WindowHandle window, DrawingSurface& surface);

// ---- The rest of the desktop ---------------------------------------------------

Colour SystemColour(int index);

void SetMouseCursor(MouseCursor shape);
void MessageBeep();
bool SetClipboardText(std::string_view text);
std::string GetClipboardText();

struct FileDialogRequest {
  bool save = false;
  WindowHandle owner = 0;
  // Pairs of description and pattern ("Comma separated", "*.csv").
  std::vector<std::pair<std::string, std::string>> filter;
  std::string initialFolder;
  std::string defaultExtension;
  // Save: ask before replacing a file; open: the file must exist.
  bool confirmReplace = false;
  bool mustExist = false;
};
// The operator chooses a file: true and the full name in `fileName`; false (the
// operator cancelled) leaves `fileName` as it was. `fileName` comes in as the name offered.
bool ChooseFile(const FileDialogRequest& request, std::string& fileName);
