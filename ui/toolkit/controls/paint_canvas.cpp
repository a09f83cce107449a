// What a form's OnPaint draws with: the canvas's pen, fill and font on the paint's
// drawing surface.
#include "ui/toolkit/controls/pel_window.h"

Colour CanvasGetPixel(PaintCanvas& canvas, int x, int y) { return GetPixel(*canvas.surface, {x, y}); }

void CanvasSetPixel(PaintCanvas& canvas, int x, int y, Colour colour) { SetPixel(*canvas.surface, {x, y}, colour); }

void CanvasLine(PaintCanvas& canvas, int x1, int y1, int x2, int y2, Colour colour) {
  DrawLine(*canvas.surface, {x1, y1}, {x2, y2}, colour);
}

void CanvasFilledBox(PaintCanvas& canvas, Rect box, Colour colour) { FillBox(*canvas.surface, box, colour); }
void CanvasFramedBox(PaintCanvas& canvas, Rect box, Colour colour) { FrameBox(*canvas.surface, box, colour); }

void CanvasRectangle(PaintCanvas& canvas, Rect box) {
  DrawRectangle(*canvas.surface, box, canvas.fillColour, canvas.penColour);
}

void CanvasRoundRectangle(PaintCanvas& canvas, Rect box, int cornerWidth, int cornerHeight) {
  DrawRoundRectangle(*canvas.surface, box, {cornerWidth, cornerHeight}, canvas.fillColour, canvas.penColour);
}

void CanvasEllipse(PaintCanvas& canvas, Rect box) { DrawEllipse(*canvas.surface, box, canvas.fillColour, canvas.penColour); }

void CanvasArc(PaintCanvas& canvas, Rect box, Point start, Point end) {
  DrawArc(*canvas.surface, box, start, end, canvas.penColour);
}

Size CanvasMeasureText(PaintCanvas& canvas, std::string_view text) { return MeasureText(canvas.font, text, 0, 0); }

void CanvasDrawText(PaintCanvas& canvas, Rect box, std::string_view text, uint32_t format) {
  DrawTextInBox(*canvas.surface, box, text, canvas.font, canvas.penColour, format | DT_NOPREFIX);
}
