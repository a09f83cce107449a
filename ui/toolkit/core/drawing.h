// Drawing: what a window paints is kept as a list of drawing commands, its picture.
// The owner thread records it in WM_PAINT; the backend plays it back whenever the
// window has to be shown (FLTK), or keeps it for a test to read (headless). Text is
// laid out here, with the backend's font measures, so both backends put every line
// at the same place.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/toolkit/core/fonts.h"
#include "ui/toolkit/core/window_types.h"

// Returned for a point outside the surface.
inline constexpr Colour InvalidColour = 0xFFFFFFFF;

struct Bitmap {
  int width = 0, height = 0;
  // Row by row from the top.
  std::vector<Colour> pixels;
};

enum class DrawKind : uint8_t {
  FillBox,
  FrameBox,
  Line,
  Pixel,
  Rectangle,
  RoundRectangle,
  Ellipse,
  Arc,
  Polygon,
  Text,
  FocusFrame,
  Image,
  // The caret: the backend inverts the box while the caret blinks on.
  Caret,
};

struct DrawCommand {
  DrawKind kind = DrawKind::FillBox;
  // The box, the bounds of a shape, the box a text is clipped to (and filled, opaque).
  Rect rect;
  // Nothing outside it is drawn. Set to the surface when recorded; the composition of
  // a window with its children narrows it.
  Rect clip;
  // Line ends; arc start and end; a round rectangle's corner size in `from`; the
  // baseline origin of a text.
  Point from, to;
  // Fill colour, line colour, text colour.
  Colour colour = 0;
  // Outline colour of shapes; background of an opaque text.
  Colour pen = 0;
  bool opaque = false;
  std::string text;
  FontHandle font = 0;
  // Text: each character starts this many pixels after the previous (0: its own advance).
  int advance = 0;
  std::vector<Point> points;
  std::shared_ptr<const Bitmap> image;
};

using DrawingList = std::vector<DrawCommand>;

// A window's drawing target for one paint.
struct DrawingSurface {
  WindowHandle window = 0;
  Size size;
  FontHandle font = 0;
  // What the parent's WM_CTLCOLOR... handler (or the default) chose for a control.
  Colour textColour = 0;
  Colour backgroundColour = 0xFFFFFF;
  DrawingList commands;

  // The whole surface, from its top left corner.
  Rect Bounds() const { return {0, 0, size.width, size.height}; }
};

void FillBox(DrawingSurface& surface, Rect box, Colour colour);
// One pixel wide, inside the box.
void FrameBox(DrawingSurface& surface, Rect box, Colour colour);
// One pixel wide; the end point is not drawn.
void DrawLine(DrawingSurface& surface, Point from, Point to, Colour colour);
void SetPixel(DrawingSurface& surface, Point at, Colour colour);
// What the surface shows at the point so far: boxes, lines, pixels, shapes, polygons,
// images and the boxes of opaque texts; glyphs, arcs and focus frames are not seen.
// 0 where nothing was drawn, InvalidColour outside the surface.
Colour GetPixel(const DrawingSurface& surface, Point at);
// Filled with `fill`, outlined one pixel wide with `pen`.
void DrawRectangle(DrawingSurface& surface, Rect box, Colour fill, Colour pen);
void DrawRoundRectangle(DrawingSurface& surface, Rect box, Size corner, Colour fill, Colour pen);
void DrawEllipse(DrawingSurface& surface, Rect box, Colour fill, Colour pen);
// The part of the box's ellipse from the radial through `start` counter-clockwise to
// the radial through `end`.
void DrawArc(DrawingSurface& surface, Rect box, Point start, Point end, Colour pen);
void DrawPolygon(DrawingSurface& surface, std::vector<Point> points, Colour colour);
// The dotted frame of the control that has the focus.
void DrawFocusFrame(DrawingSurface& surface, Rect box);
void DrawImage(DrawingSurface& surface, Point at, std::shared_ptr<const Bitmap> image);

// Text in a box with the DT_... format: lines at line ends, words wrapped with
// DT_WORDBREAK, DT_CENTER / DT_RIGHT, DT_VCENTER / DT_BOTTOM with DT_SINGLELINE, clipped
// to the box unless DT_NOCLIP; the background stays.
void DrawTextInBox(DrawingSurface& surface, Rect box, std::string_view text, FontHandle font, Colour colour,
                   uint32_t format);
// The size the text takes in the DT_... format; DT_WORDBREAK wraps at `width`.
Size MeasureText(FontHandle font, std::string_view text, uint32_t format, int width);
// One line from its top-left corner, clipped to `clip`; opaque fills `clip` with `back`
// first. With advance > 0 the characters stand on a grid of that width (console cells).
void DrawTextRun(DrawingSurface& surface, Point topLeft, std::string_view text, FontHandle font, Colour fore,
                 Colour back, Rect clip, bool opaque, int advance);
