#include "ui/toolkit/core/scroll_bars.h"

#include <algorithm>
#include <map>

#include "ui/toolkit/core/control_drawing.h"

namespace {

struct Held {
  WindowHandle window = 0;
  int bar = SB_VERT;
  bool thumb = false;
  int grab = 0;
};

// One held bar per top-level window: the operator has one mouse. Never destroyed, as
// the window table.
auto& held = *new std::map<WindowHandle, Held>;

int Along(Point point, int bar) { return bar == SB_VERT ? point.y : point.x; }
int Start(Rect box, int bar) { return bar == SB_VERT ? box.y : box.x; }
int Length(Rect box, int bar) { return bar == SB_VERT ? box.height : box.width; }

int LastPosition(const ScrollInfo& info) { return std::max(info.minimum, info.maximum - std::max(info.page - 1, 0)); }

void Post(const WindowRecord& record, int bar, int code, int position) {
  Message message{record.handle, static_cast<uint32_t>(bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL),
                  MakeLong(static_cast<uint16_t>(code), static_cast<uint16_t>(position)), 0};
  if (record.queue != nullptr) record.queue->posted.push_back(message);
}

}  // namespace

ScrollBarParts LayOutScrollBar(const WindowRecord& record, int bar) {
  ScrollBarParts parts;
  Rect client = ClientArea(record);
  int width = GetSystemMetric(SM_CXVSCROLL);
  if (bar == SB_VERT) {
    parts.bar = {client.Right(), client.y, width, client.height};
    parts.less = {parts.bar.x, parts.bar.y, width, std::min(width, parts.bar.height / 2)};
    parts.more = {parts.bar.x, parts.bar.Bottom() - parts.less.height, width, parts.less.height};
    parts.track = {parts.bar.x, parts.less.Bottom(), width, parts.more.y - parts.less.Bottom()};
  } else {
    parts.bar = {client.x, client.Bottom(), client.width, width};
    parts.less = {parts.bar.x, parts.bar.y, std::min(width, parts.bar.width / 2), width};
    parts.more = {parts.bar.Right() - parts.less.width, parts.bar.y, parts.less.width, width};
    parts.track = {parts.less.Right(), parts.bar.y, parts.more.x - parts.less.Right(), width};
  }
  const ScrollBar& scrollBar = record.scrollBars[bar == SB_VERT];
  const ScrollInfo& info = scrollBar.info;
  int range = info.maximum - info.minimum + 1;
  int trackLength = Length(parts.track, bar);
  parts.active = scrollBar.enabled && range > 0 && info.page < range && trackLength > 8;
  if (!parts.active) return parts;
  int thumbLength = std::clamp(info.page > 0 ? trackLength * info.page / range : 0, 8, trackLength);
  int span = std::max(1, LastPosition(info) - info.minimum);
  int offset = (info.trackPosition - info.minimum) * (trackLength - thumbLength) / span;
  if (bar == SB_VERT) parts.thumb = {parts.track.x, parts.track.y + offset, width, thumbLength};
  else parts.thumb = {parts.track.x + offset, parts.track.y, thumbLength, width};
  return parts;
}

void DrawWindowFrame(const WindowRecord& record, DrawingSurface& surface) {
  Rect outer{0, 0, record.rect.width, record.rect.height};
  if (record.extendedStyle & WS_EX_CLIENTEDGE) DrawSunkenEdge(surface, outer);
  else if (!IsTopLevel(record) && (record.style & WS_BORDER)) FrameBox(surface, outer, 0x000000);
  for (int bar : {SB_VERT, SB_HORZ}) {
    if (!(record.style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))) continue;
    ScrollBarParts parts = LayOutScrollBar(record, bar);
    FillBox(surface, parts.track, SystemColour(COLOR_SCROLLBAR));
    bool vertical = bar == SB_VERT;
    DrawArrowButton(surface, parts.less, vertical ? ArrowDirection::Up : ArrowDirection::Left, parts.active, false);
    DrawArrowButton(surface, parts.more, vertical ? ArrowDirection::Down : ArrowDirection::Right, parts.active, false);
    if (parts.active) {
      FillBox(surface, parts.thumb, SystemColour(COLOR_BTNFACE));
      DrawButtonEdge(surface, parts.thumb, false);
    }
  }
  if ((record.style & WS_VSCROLL) && (record.style & WS_HSCROLL)) {
    Rect client = ClientArea(record);
    int width = GetSystemMetric(SM_CXVSCROLL);
    FillBox(surface, {client.Right(), client.Bottom(), width, width}, SystemColour(COLOR_BTNFACE));
  }
}

bool ScrollBarMouse(WindowRecord& record, MouseAction action, Point local) {
  WindowHandle topLevel = TopLevelOf(record.handle);
  auto holding = held.find(topLevel);
  if (holding != held.end()) {
    Held grip = holding->second;
    ScrollBarParts parts = LayOutScrollBar(record, grip.bar);
    ScrollInfo& info = record.scrollBars[grip.bar == SB_VERT].info;
    if (action == MouseAction::Move && grip.thumb && parts.active) {
      int travel = Length(parts.track, grip.bar) - Length(parts.thumb, grip.bar);
      int offset = std::clamp(Along(local, grip.bar) - grip.grab - Start(parts.track, grip.bar), 0, std::max(travel, 0));
      int position = info.minimum + (travel > 0 ? offset * (LastPosition(info) - info.minimum) / travel : 0);
      if (position != info.trackPosition) {
        info.trackPosition = position;
        Post(record, grip.bar, SB_THUMBTRACK, position);
      }
    } else if (action == MouseAction::LeftUp) {
      if (grip.thumb) Post(record, grip.bar, SB_THUMBPOSITION, info.trackPosition);
      Post(record, grip.bar, SB_ENDSCROLL, 0);
      held.erase(holding);
    }
    return true;
  }
  if (action != MouseAction::LeftDown) return false;
  for (int bar : {SB_VERT, SB_HORZ}) {
    if (!(record.style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))) continue;
    ScrollBarParts parts = LayOutScrollBar(record, bar);
    if (!parts.bar.Contains(local)) continue;
    if (!parts.active) return true;
    Held grip{record.handle, bar, false, 0};
    if (parts.less.Contains(local)) {
      Post(record, bar, SB_LINEUP, 0);
    } else if (parts.more.Contains(local)) {
      Post(record, bar, SB_LINEDOWN, 0);
    } else if (parts.thumb.Contains(local)) {
      grip.thumb = true;
      grip.grab = Along(local, bar) - Start(parts.thumb, bar);
    } else {
      Post(record, bar, Along(local, bar) < Start(parts.thumb, bar) ? SB_PAGEUP : SB_PAGEDOWN, 0);
    }
    held[topLevel] = grip;
    return true;
  }
  return false;
}

WindowRecord* ScrollBarHeld(WindowHandle topLevel) {
  auto holding = held.find(topLevel);
  if (holding == held.end()) return nullptr;
  WindowRecord* record = FindWindow(holding->second.window);
  if (record == nullptr) held.erase(holding);
  return record;
}

int SetScrollInfo(WindowHandle window, int bar, const ScrollInfo& info, bool redraw) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  ScrollInfo& kept = record->scrollBars[bar == SB_VERT].info;
  if (info.mask & SIF_RANGE) {
    kept.minimum = info.minimum;
    kept.maximum = info.maximum;
  }
  if (info.mask & SIF_PAGE) kept.page = std::max(0, info.page);
  if (info.mask & SIF_POS) kept.position = info.position;
  kept.position = std::clamp(kept.position, kept.minimum, LastPosition(kept));
  kept.trackPosition = kept.position;
  if (redraw) Backend().Redraw(TopLevelOf(window));
  return kept.position;
}

bool GetScrollInfo(WindowHandle window, int bar, ScrollInfo& info) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return false;
  uint32_t mask = info.mask;
  info = record->scrollBars[bar == SB_VERT].info;
  info.mask = mask;
  return true;
}

bool EnableScrollBar(WindowHandle window, int bar, int arrows) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return false;
  record->scrollBars[bar == SB_VERT].enabled = arrows != ESB_DISABLE_BOTH;
  Backend().Redraw(TopLevelOf(window));
  return true;
}
