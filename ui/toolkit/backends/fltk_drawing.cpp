#include "ui/toolkit/backends/fltk_drawing.h"

#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "runtime/utf8.h"
#include "ui/toolkit/backends/font_kinds.h"

namespace {

void Colour(::Colour colour) { fl_color(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

void UseFont(FontHandle handle) {
  FontDescription font = DescribeFont(handle);
  fl_font(FltkFont(font), std::max(1, font.height));
}

// Degrees, counter-clockwise from three o'clock, of the radial through the point.
double Angle(Rect box, Point point) {
  double cx = box.x + box.width / 2.0, cy = box.y + box.height / 2.0;
  return std::atan2(-(point.y - cy), point.x - cx) * 180.0 / std::numbers::pi;
}

void Text(const DrawCommand& command) {
  if (command.opaque) {
    Colour(command.pen);
    fl_rectf(command.rect.x, command.rect.y, command.rect.width, command.rect.height);
  }
  UseFont(command.font);
  Colour(command.colour);
  int width = 0;
  if (command.advance > 0) {
    int x = command.from.x;
    for (size_t at = 0; at < command.text.size();) {
      size_t start = at;
      NextCodePoint(command.text, at);
      fl_draw(command.text.data() + start, static_cast<int>(at - start), x, command.from.y);
      x += command.advance;
    }
    width = x - command.from.x;
  } else {
    fl_draw(command.text.data(), static_cast<int>(command.text.size()), command.from.x, command.from.y);
    width = static_cast<int>(fl_width(command.text.data(), static_cast<int>(command.text.size())));
  }
  if (DescribeFont(command.font).underline) fl_xyline(command.from.x, command.from.y + 1, command.from.x + width - 1);
}

void Image(const DrawCommand& command) {
  const Bitmap& image = *command.image;
  std::vector<unsigned char> rgb;
  rgb.reserve(image.pixels.size() * 3);
  for (::Colour pixel : image.pixels) {
    rgb.push_back(RedOf(pixel));
    rgb.push_back(GreenOf(pixel));
    rgb.push_back(BlueOf(pixel));
  }
  fl_draw_image(rgb.data(), command.from.x, command.from.y, image.width, image.height, 3);
}

// The caret turns the pixels beneath it over, so it shows on any background.
void Caret(const DrawCommand& command) {
  XSetFunction(fl_display, fl_gc, GXxor);
  XSetForeground(fl_display, fl_gc, 0xFFFFFF);
  XFillRectangle(fl_display, fl_window, fl_gc, command.rect.x, command.rect.y, static_cast<unsigned>(command.rect.width),
                 static_cast<unsigned>(command.rect.height));
  XSetFunction(fl_display, fl_gc, GXcopy);
}

void Draw(const DrawCommand& command, bool caretOn) {
  const Rect& box = command.rect;
  switch (command.kind) {
    case DrawKind::FillBox:
      Colour(command.colour);
      fl_rectf(box.x, box.y, box.width, box.height);
      break;
    case DrawKind::FrameBox:
      Colour(command.colour);
      fl_rect(box.x, box.y, box.width, box.height);
      break;
    case DrawKind::Line:
      Colour(command.colour);
      fl_line(command.from.x, command.from.y, command.to.x, command.to.y);
      break;
    case DrawKind::Pixel:
      Colour(command.colour);
      fl_point(command.from.x, command.from.y);
      break;
    case DrawKind::Rectangle:
    case DrawKind::RoundRectangle:
      Colour(command.colour);
      fl_rectf(box.x, box.y, box.width, box.height);
      Colour(command.pen);
      fl_rect(box.x, box.y, box.width, box.height);
      break;
    case DrawKind::Ellipse:
      Colour(command.colour);
      fl_pie(box.x, box.y, box.width, box.height, 0, 360);
      Colour(command.pen);
      fl_arc(box.x, box.y, box.width, box.height, 0, 360);
      break;
    case DrawKind::Arc: {
      double from = Angle(box, command.from), to = Angle(box, command.to);
      if (to <= from) to += 360;
      Colour(command.pen);
      fl_arc(box.x, box.y, box.width, box.height, from, to);
      break;
    }
    case DrawKind::Polygon:
      Colour(command.colour);
      fl_begin_complex_polygon();
      for (Point point : command.points) fl_vertex(point.x, point.y);
      fl_end_complex_polygon();
      break;
    case DrawKind::Text:
      Text(command);
      break;
    case DrawKind::FocusFrame:
      fl_color(FL_BLACK);
      fl_line_style(FL_DOT);
      fl_rect(box.x, box.y, box.width, box.height);
      fl_line_style(0);
      break;
    case DrawKind::Image:
      Image(command);
      break;
    case DrawKind::Caret:
      if (caretOn) Caret(command);
      break;
  }
}

}  // namespace

Fl_Font FltkFont(const FontDescription& font) {
  FaceKind kind = KindOfFace(font.face);
  Fl_Font family = kind == FaceKind::Monospace ? FL_COURIER : kind == FaceKind::Serif ? FL_TIMES : FL_HELVETICA;
  return family + (font.bold ? FL_BOLD : 0) + (font.italic ? FL_ITALIC : 0);
}

void PlayBack(const DrawingList& picture, bool caretOn) {
  for (const DrawCommand& command : picture) {
    if (command.clip.Empty()) continue;
    fl_push_clip(command.clip.x, command.clip.y, command.clip.width, command.clip.height);
    Draw(command, caretOn);
    fl_pop_clip();
  }
}
