#include "ui/toolkit/core/control_drawing.h"

#include <algorithm>

void DrawButtonEdge(DrawingSurface& surface, Rect box, bool pressed) {
  int right = box.Right() - 1, bottom = box.Bottom() - 1;
  if (pressed) {
    FrameBox(surface, box, SystemColour(COLOR_3DDKSHADOW));
    FrameBox(surface, box.Inset(1), SystemColour(COLOR_BTNSHADOW));
    return;
  }
  Colour light = SystemColour(COLOR_BTNHIGHLIGHT), dark = SystemColour(COLOR_3DDKSHADOW);
  DrawLine(surface, {box.x, bottom}, {box.x, box.y}, light);
  DrawLine(surface, {box.x, box.y}, {right, box.y}, light);
  DrawLine(surface, {right, box.y}, {right, bottom}, dark);
  DrawLine(surface, {right, bottom}, {box.x - 1, bottom}, dark);
  Colour shadow = SystemColour(COLOR_BTNSHADOW);
  DrawLine(surface, {right - 1, box.y + 1}, {right - 1, bottom - 1}, shadow);
  DrawLine(surface, {right - 1, bottom - 1}, {box.x, bottom - 1}, shadow);
}

void DrawSunkenEdge(DrawingSurface& surface, Rect box) {
  int right = box.Right() - 1, bottom = box.Bottom() - 1;
  Colour shadow = SystemColour(COLOR_BTNSHADOW), light = SystemColour(COLOR_BTNHIGHLIGHT);
  DrawLine(surface, {box.x, bottom}, {box.x, box.y}, shadow);
  DrawLine(surface, {box.x, box.y}, {right, box.y}, shadow);
  DrawLine(surface, {right, box.y}, {right, bottom}, light);
  DrawLine(surface, {right, bottom}, {box.x - 1, bottom}, light);
  Colour dark = SystemColour(COLOR_3DDKSHADOW), face = SystemColour(COLOR_BTNFACE);
  DrawLine(surface, {box.x + 1, bottom - 1}, {box.x + 1, box.y + 1}, dark);
  DrawLine(surface, {box.x + 1, box.y + 1}, {right - 1, box.y + 1}, dark);
  DrawLine(surface, {right - 1, box.y + 1}, {right - 1, bottom - 1}, face);
  DrawLine(surface, {right - 1, bottom - 1}, {box.x, bottom - 1}, face);
}

void DrawArrow(DrawingSurface& surface, Rect box, ArrowDirection direction, Colour colour) {
  int size = std::max(2, std::min(box.width, box.height) / 4);
  int cx = box.x + box.width / 2, cy = box.y + box.height / 2;
  switch (direction) {
    case ArrowDirection::Up:
      DrawPolygon(surface, {{cx - size, cy + size / 2}, {cx + size + 1, cy + size / 2}, {cx, cy - size / 2 - 1}}, colour);
      break;
    case ArrowDirection::Down:
      DrawPolygon(surface, {{cx - size, cy - size / 2}, {cx + size + 1, cy - size / 2}, {cx, cy + size / 2 + 1}}, colour);
      break;
    case ArrowDirection::Left:
      DrawPolygon(surface, {{cx + size / 2, cy - size}, {cx + size / 2, cy + size + 1}, {cx - size / 2 - 1, cy}}, colour);
      break;
    case ArrowDirection::Right:
      DrawPolygon(surface, {{cx - size / 2, cy - size}, {cx - size / 2, cy + size + 1}, {cx + size / 2 + 1, cy}}, colour);
      break;
  }
}

void DrawArrowButton(DrawingSurface& surface, Rect box, ArrowDirection direction, bool enabled, bool pressed) {
  FillBox(surface, box, SystemColour(COLOR_BTNFACE));
  DrawButtonEdge(surface, box, pressed);
  Rect inside = pressed ? box.Moved(1, 1) : box;
  DrawArrow(surface, inside, direction, SystemColour(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
}

Colour AskParentForColours(WindowHandle control, uint32_t message, DrawingSurface& surface) {
  WindowHandle parent = GetParent(control);
  WParam target = reinterpret_cast<WParam>(&surface);
  LResult brush = parent != 0 && (GetWindowLong(control, GWL_STYLE) & WS_CHILD)
                      ? SendMessage(parent, message, target, static_cast<LParam>(control))
                      : 0;
  if (brush == 0) brush = DefaultWindowProcedure(control, message, target, static_cast<LParam>(control));
  return BrushColour(static_cast<BrushHandle>(brush));
}
