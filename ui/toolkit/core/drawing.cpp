#include "ui/toolkit/core/drawing.h"

#include <cstdlib>

#include "ui/toolkit/core/window_constants.h"

namespace {

DrawCommand& Record(DrawingSurface& surface, DrawKind kind, Rect rect) {
  DrawCommand& command = surface.commands.emplace_back();
  command.kind = kind;
  command.rect = rect;
  command.clip = surface.Bounds();
  return command;
}

bool OnLine(Point from, Point to, Point at) {
  int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
  int stepX = from.x < to.x ? 1 : -1, stepY = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  for (Point p = from; p != to;) {
    if (p == at) return true;
    int doubled = 2 * error;
    if (doubled >= dy) {
      error += dy;
      p.x += stepX;
    }
    if (doubled <= dx) {
      error += dx;
      p.y += stepY;
    }
  }
  return false;
}

bool InEllipse(Rect box, Point at) {
  double rx = box.width / 2.0, ry = box.height / 2.0;
  if (rx <= 0 || ry <= 0) return false;
  double dx = (at.x + 0.5 - box.x - rx) / rx, dy = (at.y + 0.5 - box.y - ry) / ry;
  return dx * dx + dy * dy <= 1.0;
}

bool InPolygon(const std::vector<Point>& points, Point at) {
  double x = at.x + 0.5, y = at.y + 0.5;
  bool inside = false;
  for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
    const Point& a = points[i];
    const Point& b = points[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

bool OnBorder(Rect box, Point at) { return box.Contains(at) && !box.Inset(1).Contains(at); }

// The colour the command gives the point, if it covers it.
bool Covers(const DrawCommand& command, Point at, Colour& colour) {
  if (!command.clip.Contains(at)) return false;
  const Rect& box = command.rect;
  switch (command.kind) {
    case DrawKind::FillBox:
      colour = command.colour;
      return box.Contains(at);
    case DrawKind::FrameBox:
      colour = command.colour;
      return OnBorder(box, at);
    case DrawKind::Line:
      colour = command.colour;
      return OnLine(command.from, command.to, at);
    case DrawKind::Pixel:
      colour = command.colour;
      return command.from == at;
    case DrawKind::Rectangle:
    case DrawKind::RoundRectangle:
      colour = OnBorder(box, at) ? command.pen : command.colour;
      return box.Contains(at);
    case DrawKind::Ellipse:
      colour = InEllipse(box.Inset(1), at) ? command.colour : command.pen;
      return InEllipse(box, at);
    case DrawKind::Polygon:
      colour = command.colour;
      return InPolygon(command.points, at);
    case DrawKind::Text:
      colour = command.pen;
      return command.opaque && box.Contains(at);
    case DrawKind::Image: {
      const Bitmap& image = *command.image;
      int x = at.x - command.from.x, y = at.y - command.from.y;
      if (x < 0 || y < 0 || x >= image.width || y >= image.height) return false;
      colour = image.pixels[static_cast<size_t>(y * image.width + x)];
      return true;
    }
    default:
      return false;
  }
}

// The text's lines: split at line ends, words wrapped at `width` with DT_WORDBREAK.
std::vector<std::string> LayOutLines(FontHandle font, std::string_view text, uint32_t format, int width) {
  std::vector<std::string> lines;
  if (format & DT_SINGLELINE) {
    std::string line;
    for (char c : text) {
      if (c != '\r' && c != '\n') line += c;
    }
    lines.push_back(line);
    return lines;
  }
  size_t start = 0;
  while (true) {
    size_t end = text.find('\n', start);
    std::string_view paragraph = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    if (!(format & DT_WORDBREAK)) {
      lines.emplace_back(paragraph);
    } else {
      std::string line;
      size_t at = 0;
      do {
        size_t space = paragraph.find(' ', at);
        std::string_view word = paragraph.substr(at, space == std::string_view::npos ? std::string_view::npos : space - at);
        std::string candidate = line.empty() ? std::string(word) : line + " " + std::string(word);
        if (!line.empty() && MeasureTextWidth(font, candidate) > width) {
          lines.push_back(line);
          line = std::string(word);
        } else {
          line = candidate;
        }
        at = space == std::string_view::npos ? paragraph.size() + 1 : space + 1;
      } while (at <= paragraph.size());
      lines.push_back(line);
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

void FillBox(DrawingSurface& surface, Rect box, Colour colour) { Record(surface, DrawKind::FillBox, box).colour = colour; }

void FrameBox(DrawingSurface& surface, Rect box, Colour colour) {
  Record(surface, DrawKind::FrameBox, box).colour = colour;
}

void DrawLine(DrawingSurface& surface, Point from, Point to, Colour colour) {
  DrawCommand& command = Record(surface, DrawKind::Line, {});
  command.from = from;
  command.to = to;
  command.colour = colour;
}

void SetPixel(DrawingSurface& surface, Point at, Colour colour) {
  DrawCommand& command = Record(surface, DrawKind::Pixel, {at.x, at.y, 1, 1});
  command.from = at;
  command.colour = colour;
}

Colour GetPixel(const DrawingSurface& surface, Point at) {
  if (!surface.Bounds().Contains(at)) return InvalidColour;
  for (auto command = surface.commands.rbegin(); command != surface.commands.rend(); ++command) {
    Colour colour;
    if (Covers(*command, at, colour)) return colour;
  }
  return 0;
}

void DrawRectangle(DrawingSurface& surface, Rect box, Colour fill, Colour pen) {
  DrawCommand& command = Record(surface, DrawKind::Rectangle, box);
  command.colour = fill;
  command.pen = pen;
}

void DrawRoundRectangle(DrawingSurface& surface, Rect box, Size corner, Colour fill, Colour pen) {
  DrawCommand& command = Record(surface, DrawKind::RoundRectangle, box);
  command.from = {corner.width, corner.height};
  command.colour = fill;
  command.pen = pen;
}

void DrawEllipse(DrawingSurface& surface, Rect box, Colour fill, Colour pen) {
  DrawCommand& command = Record(surface, DrawKind::Ellipse, box);
  command.colour = fill;
  command.pen = pen;
}

void DrawArc(DrawingSurface& surface, Rect box, Point start, Point end, Colour pen) {
  DrawCommand& command = Record(surface, DrawKind::Arc, box);
  command.from = start;
  command.to = end;
  command.pen = pen;
}

void DrawPolygon(DrawingSurface& surface, std::vector<Point> points, Colour colour) {
  if (points.size() < 3) return;
  DrawCommand& command = Record(surface, DrawKind::Polygon, {});
  command.points = std::move(points);
  command.colour = colour;
}

void DrawFocusFrame(DrawingSurface& surface, Rect box) { Record(surface, DrawKind::FocusFrame, box); }

void DrawImage(DrawingSurface& surface, Point at, std::shared_ptr<const Bitmap> image) {
  if (image == nullptr) return;
  DrawCommand& command = Record(surface, DrawKind::Image, {at.x, at.y, image->width, image->height});
  command.from = at;
  command.image = std::move(image);
}

void DrawTextInBox(DrawingSurface& surface, Rect box, std::string_view text, FontHandle font, Colour colour,
                   uint32_t format) {
  FontMetrics metrics = GetFontMetrics(font);
  std::vector<std::string> lines = LayOutLines(font, text, format, box.width);
  int top = box.y;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) top = box.y + (box.height - metrics.height) / 2;
    else if (format & DT_BOTTOM) top = box.Bottom() - metrics.height;
  }
  for (const std::string& line : lines) {
    if (!line.empty()) {
      int width = MeasureTextWidth(font, line);
      int left = format & DT_CENTER ? box.x + (box.width - width) / 2
                 : format & DT_RIGHT ? box.Right() - width
                                     : box.x;
      DrawCommand& command = Record(surface, DrawKind::Text, box);
      if (!(format & DT_NOCLIP)) command.clip = command.clip.Intersect(box);
      command.from = {left, top + metrics.ascent};
      command.text = line;
      command.font = font;
      command.colour = colour;
    }
    top += metrics.height;
  }
}

Size MeasureText(FontHandle font, std::string_view text, uint32_t format, int width) {
  FontMetrics metrics = GetFontMetrics(font);
  Size size;
  for (const std::string& line : LayOutLines(font, text, format, width)) {
    size.width = std::max(size.width, MeasureTextWidth(font, line));
    size.height += metrics.height;
  }
  return size;
}

void DrawTextRun(DrawingSurface& surface, Point topLeft, std::string_view text, FontHandle font, Colour fore,
                 Colour back, Rect clip, bool opaque, int advance) {
  DrawCommand& command = Record(surface, DrawKind::Text, clip);
  command.clip = command.clip.Intersect(clip);
  command.from = {topLeft.x, topLeft.y + GetFontMetrics(font).ascent};
  command.text = text;
  command.font = font;
  command.colour = fore;
  command.pen = back;
  command.opaque = opaque;
  command.advance = advance;
}
