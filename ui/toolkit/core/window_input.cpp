#include "ui/toolkit/core/window_input.h"

#include "ui/toolkit/core/scroll_bars.h"

namespace {

// Statics show text and panels; clicks on them belong to what lies beneath.
bool LetsClicksThrough(const WindowRecord& record) {
  return record.className == "STATIC" && !(record.style & SS_NOTIFY);
}

// The window's outer corner in the top-level window's coordinates.
Point CornerInTopLevel(const WindowRecord& record) {
  if (IsTopLevel(record)) return {0, 0};
  Point parentOrigin = OriginInTopLevel(*FindWindow(record.parent));
  return {parentOrigin.x + record.rect.x, parentOrigin.y + record.rect.y};
}

WindowRecord* WindowAt(WindowRecord& window, Point at) {
  Rect client = ClientArea(window);
  Point corner = CornerInTopLevel(window);
  if (!client.Moved(corner.x, corner.y).Contains(at)) return &window;
  for (WindowHandle handle : window.children) {
    WindowRecord* child = FindWindow(handle);
    if (child == nullptr || !(child->style & WS_VISIBLE) || LetsClicksThrough(*child)) continue;
    Point childCorner = CornerInTopLevel(*child);
    if (Rect{childCorner.x, childCorner.y, child->rect.width, child->rect.height}.Contains(at)) {
      return WindowAt(*child, at);
    }
  }
  return &window;
}

uint32_t MessageOf(MouseAction action) {
  switch (action) {
    case MouseAction::Move: return WM_MOUSEMOVE;
    case MouseAction::LeftDown: return WM_LBUTTONDOWN;
    case MouseAction::LeftUp: return WM_LBUTTONUP;
    case MouseAction::MiddleDown: return WM_MBUTTONDOWN;
    case MouseAction::MiddleUp: return WM_MBUTTONUP;
    case MouseAction::RightDown: return WM_RBUTTONDOWN;
    case MouseAction::RightUp: return WM_RBUTTONUP;
    case MouseAction::Wheel: return WM_MOUSEWHEEL;
  }
  return WM_NULL;
}

uint32_t MouseKeys(uint32_t keys) {
  return (keys & KeyLeftButton ? MK_LBUTTON : 0) | (keys & KeyRightButton ? MK_RBUTTON : 0) |
         (keys & KeyMiddleButton ? MK_MBUTTON : 0) | (keys & KeyShift ? MK_SHIFT : 0) |
         (keys & KeyControl ? MK_CONTROL : 0);
}

void Post(WindowRecord& record, Message message) {
  message.window = record.handle;
  if (record.queue != nullptr) record.queue->posted.push_back(message);
}

// Taking an input message from the queue tells IsKeyDown what was held.
void PostInput(WindowRecord& record, Message message, uint32_t keys) {
  message.keys = keys | KeysCarried;
  Post(record, message);
}

}  // namespace

void DeliverMouse(WindowHandle topLevel, MouseAction action, Point at, uint32_t keys, int wheelDelta) {
  WindowGuard guard(WindowLock);
  WindowRecord* top = FindWindow(topLevel);
  if (top == nullptr || !(top->style & WS_VISIBLE) || top->queue == nullptr) return;
  if (WindowRecord* holding = ScrollBarHeld(topLevel)) {
    Point corner = CornerInTopLevel(*holding);
    ScrollBarMouse(*holding, action, {at.x - corner.x, at.y - corner.y});
    return;
  }
  WindowRecord* target = FindWindow(top->queue->capture);
  uint32_t marks = 0;
  if (target == nullptr || TopLevelOf(target->handle) != topLevel) {
    target = WindowAt(*top, at);
    Point corner = CornerInTopLevel(*target);
    Point local{at.x - corner.x, at.y - corner.y};
    bool inside = EnabledChain(*target) && ClientArea(*target).Contains(local);
    if (EnabledChain(*target) && !ClientArea(*target).Contains(local) && ScrollBarMouse(*target, action, local)) return;
    if (!inside) {
      // Nobody here takes it, but a window holding the capture by the time the owner
      // thread looks may: releases and moves wait for that.
      bool pressing = action == MouseAction::LeftDown || action == MouseAction::MiddleDown ||
                      action == MouseAction::RightDown || action == MouseAction::Wheel;
      if (pressing || !EnabledChain(*top)) return;
      target = top;
      marks = KeysForCaptureOnly;
    }
  }
  Point origin = OriginInTopLevel(*target);
  Point client{at.x - origin.x, at.y - origin.y};
  Message message{0, MessageOf(action), MouseKeys(keys), PointParameter(client)};
  if (action == MouseAction::Wheel) {
    message.wParam = MakeLong(static_cast<uint16_t>(MouseKeys(keys)), static_cast<uint16_t>(wheelDelta));
    message.lParam = PointParameter({top->rect.x + at.x, top->rect.y + at.y});
  }
  PostInput(*target, message, keys | marks);
}

void DeliverKey(WindowHandle topLevel, bool down, uint32_t virtualKey, uint32_t character, uint32_t keys) {
  WindowGuard guard(WindowLock);
  WindowRecord* top = FindWindow(topLevel);
  if (top == nullptr || top->queue == nullptr || !EnabledChain(*top)) return;
  Message message{0, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 1};
  if (down) message.character = character;
  PostInput(*top, message, keys | KeysToFocus);
}

void DeliverClose(WindowHandle topLevel) {
  WindowGuard guard(WindowLock);
  WindowRecord* top = FindWindow(topLevel);
  if (top == nullptr) return;
  if (!EnabledChain(*top) && !top->properties.contains(CloseWhileDisabledProperty)) return;
  Post(*top, Message{0, WM_SYSCOMMAND, SC_CLOSE, 0});
}

void DeliverMoved(WindowHandle topLevel, Rect rect) {
  WindowGuard guard(WindowLock);
  WindowRecord* top = FindWindow(topLevel);
  if (top == nullptr || top->rect == rect) return;
  Rect old = top->rect;
  top->rect = rect;
  if (old.width != rect.width || old.height != rect.height) {
    InvalidateTree(topLevel, true);
    Rect client = ClientArea(*top);
    Post(*top,
         Message{0, WM_SIZE, 0,
                 static_cast<LParam>(MakeLong(static_cast<uint16_t>(client.width), static_cast<uint16_t>(client.height)))});
  }
  if (old.x != rect.x || old.y != rect.y) Post(*top, Message{0, WM_MOVE, 0, PointParameter({rect.x, rect.y})});
  Post(*top, Message{0, WM_EXITSIZEMOVE, 0, 0});
}

void DeliverActivation(WindowHandle topLevel, bool active) {
  WindowGuard guard(WindowLock);
  if (WindowRecord* top = FindWindow(topLevel)) Post(*top, Message{0, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0});
}
