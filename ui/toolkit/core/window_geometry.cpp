// Where windows are: rectangles, client areas inside borders and scroll bars, and the
// measures and colours of the desktop.
#include <algorithm>

#include "ui/toolkit/core/window_backend.h"
#include "ui/toolkit/core/window_core.h"

namespace {

constexpr int ScrollBarWidth = 16;

int BorderWidth(uint32_t style, uint32_t extendedStyle, bool child) {
  if (extendedStyle & WS_EX_CLIENTEDGE) return 2;
  return child && (style & WS_BORDER) ? 1 : 0;
}

Size ClientSizeOf(const WindowRecord& record) {
  Rect client = ClientArea(record);
  return {client.width, client.height};
}

LParam SizeParameter(Size size) {
  return static_cast<LParam>(MakeLong(static_cast<uint16_t>(size.width), static_cast<uint16_t>(size.height)));
}

}  // namespace

Rect ClientArea(const WindowRecord& record) {
  int border = BorderWidth(record.style, record.extendedStyle, !IsTopLevel(record));
  Rect client{border, border, record.rect.width - 2 * border, record.rect.height - 2 * border};
  if (record.style & WS_VSCROLL) client.width -= ScrollBarWidth;
  if (record.style & WS_HSCROLL) client.height -= ScrollBarWidth;
  client.width = std::max(0, client.width);
  client.height = std::max(0, client.height);
  return client;
}

Point OriginInTopLevel(const WindowRecord& record) {
  Rect client = ClientArea(record);
  if (IsTopLevel(record)) return {client.x, client.y};
  WindowRecord* parent = FindWindow(record.parent);
  Point parentOrigin = parent == nullptr ? Point{} : OriginInTopLevel(*parent);
  return {parentOrigin.x + record.rect.x + client.x, parentOrigin.y + record.rect.y + client.y};
}

bool MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return false;
  bool ownThread = OwnedByCurrentThread(*record);
  bool topLevel = IsTopLevel(*record);
  Rect old = record->rect;
  record->rect = {x, y, std::max(0, width), std::max(0, height)};
  Size client = ClientSizeOf(*record);
  bool resized = old.width != record->rect.width || old.height != record->rect.height;
  if (resized || repaint) InvalidateTree(window, true);
  guard.unlock();

  if (topLevel && ownThread) {
    MinMaxInfo tracking{{GetSystemMetric(SM_CXMINTRACK), GetSystemMetric(SM_CYMINTRACK)},
                        {GetSystemMetric(SM_CXMAXTRACK), GetSystemMetric(SM_CYMAXTRACK)}};
    SendMessage(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&tracking));
    guard.lock();
    if (WindowRecord* moved = FindWindow(window)) moved->tracking = tracking;
    guard.unlock();
  }
  SyncTopLevel(window);
  {
    WindowGuard redraw(WindowLock);
    Backend().Redraw(TopLevelOf(window));
  }
  auto deliver = ownThread ? SendMessage : [](WindowHandle to, uint32_t message, WParam wParam, LParam lParam) {
    return static_cast<LResult>(PostMessage(to, message, wParam, lParam));
  };
  if (resized) deliver(window, WM_SIZE, 0, SizeParameter(client));
  if (old.x != x || old.y != y) deliver(window, WM_MOVE, 0, PointParameter({x, y}));
  return true;
}

Rect GetWindowRect(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return {};
  if (IsTopLevel(*record)) return record->rect;
  WindowRecord* parent = FindWindow(record->parent);
  WindowRecord* topLevel = FindWindow(TopLevelOf(window));
  Point origin = OriginInTopLevel(*parent);
  return record->rect.Moved(topLevel->rect.x + origin.x, topLevel->rect.y + origin.y);
}

Rect GetClientRect(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return {};
  Size size = ClientSizeOf(*record);
  return {0, 0, size.width, size.height};
}

Point ClientToScreen(WindowHandle window, Point point) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  WindowRecord* topLevel = FindWindow(TopLevelOf(window));
  if (record == nullptr || topLevel == nullptr) return point;
  Point origin = OriginInTopLevel(*record);
  return {point.x + origin.x + topLevel->rect.x, point.y + origin.y + topLevel->rect.y};
}

Point ScreenToClient(WindowHandle window, Point point) {
  Point origin = ClientToScreen(window, {0, 0});
  return {point.x - origin.x, point.y - origin.y};
}

Rect AdjustWindowRect(Rect client, uint32_t style, uint32_t extendedStyle) {
  int border = BorderWidth(style, extendedStyle, (style & WS_CHILD) != 0);
  Rect outer{client.x - border, client.y - border, client.width + 2 * border, client.height + 2 * border};
  if (style & WS_VSCROLL) outer.width += ScrollBarWidth;
  if (style & WS_HSCROLL) outer.height += ScrollBarWidth;
  return outer;
}

int GetSystemMetric(int index) {
  switch (index) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVSCROLL: return ScrollBarWidth;
    case SM_CXMINTRACK: return 120;
    case SM_CYMINTRACK: return 40;
    case SM_CXSCREEN:
    case SM_CXMAXTRACK: return Backend().ScreenSize().width;
    case SM_CYSCREEN:
    case SM_CYMAXTRACK: return Backend().ScreenSize().height;
    default: return 0;
  }
}

int WindowDpi(WindowHandle) { return Backend().Dpi(); }

Colour SystemColour(int index) {
  switch (index) {
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT: return 0x000000;
    case COLOR_HIGHLIGHT: return Rgb(0, 120, 215);
    case COLOR_BTNFACE: return Rgb(240, 240, 240);
    case COLOR_BTNSHADOW: return Rgb(160, 160, 160);
    case COLOR_GRAYTEXT: return Rgb(109, 109, 109);
    case COLOR_3DDKSHADOW: return Rgb(105, 105, 105);
    case COLOR_SCROLLBAR: return Rgb(220, 220, 220);
    default: return 0xFFFFFF;
  }
}
