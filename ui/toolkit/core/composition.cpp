// The whole picture of a top-level window: its frame and picture, then its children's
// from the bottom of the z-order up, each clipped to its parent's client area, and the
// caret on top. Made by the backend's thread from what the owner threads last painted.
#include "ui/toolkit/core/scroll_bars.h"
#include "ui/toolkit/core/window_backend.h"

namespace {

void Append(const DrawingList& commands, Point offset, Rect clip, DrawingList& out) {
  for (const DrawCommand& command : commands) {
    DrawCommand& placed = out.emplace_back(command);
    placed.rect = placed.rect.Moved(offset.x, offset.y);
    placed.clip = placed.clip.Moved(offset.x, offset.y).Intersect(clip);
    placed.from = {placed.from.x + offset.x, placed.from.y + offset.y};
    placed.to = {placed.to.x + offset.x, placed.to.y + offset.y};
    for (Point& point : placed.points) point = {point.x + offset.x, point.y + offset.y};
    if (placed.kind == DrawKind::RoundRectangle) placed.from = command.from;
  }
}

void Compose(const WindowRecord& record, Point corner, Rect clip, DrawingList& out) {
  Rect outer{corner.x, corner.y, record.rect.width, record.rect.height};
  clip = clip.Intersect(outer);
  if (clip.Empty()) return;
  DrawingSurface frame;
  frame.size = {record.rect.width, record.rect.height};
  DrawWindowFrame(record, frame);
  Append(frame.commands, corner, clip, out);

  Rect client = ClientArea(record);
  Point origin{corner.x + client.x, corner.y + client.y};
  Rect clientClip = clip.Intersect(client.Moved(corner.x, corner.y));
  if (record.picture != nullptr) Append(*record.picture, origin, clientClip, out);
  for (auto child = record.children.rbegin(); child != record.children.rend(); ++child) {
    const WindowRecord* childRecord = FindWindow(*child);
    if (childRecord == nullptr || !(childRecord->style & WS_VISIBLE)) continue;
    Compose(*childRecord, {origin.x + childRecord->rect.x, origin.y + childRecord->rect.y}, clientClip, out);
  }
  const Caret* caret = record.queue == nullptr ? nullptr : &record.queue->caret;
  if (caret != nullptr && caret->window == record.handle && caret->hideCount == 0) {
    DrawCommand& mark = out.emplace_back();
    mark.kind = DrawKind::Caret;
    mark.rect = {origin.x + caret->position.x, origin.y + caret->position.y, caret->size.width, caret->size.height};
    mark.clip = clientClip;
  }
}

}  // namespace

DrawingList ComposeTopLevel(WindowHandle topLevel) {
  WindowGuard guard(WindowLock);
  DrawingList out;
  const WindowRecord* record = FindWindow(topLevel);
  if (record == nullptr) return out;
  Compose(*record, {0, 0}, {0, 0, record->rect.width, record->rect.height}, out);
  return out;
}
