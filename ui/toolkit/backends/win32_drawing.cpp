#include "ui/toolkit/backends/win32_drawing.h"

#include <string>
#include <vector>

#include "runtime/utf8.h"
#include "ui/toolkit/backends/win32_fonts.h"

namespace {

// A picture's colours are 0x00BBGGRR, as a COLORREF is.
RECT Box(const Rect& rect) { return {rect.x, rect.y, rect.Right(), rect.Bottom()}; }

void Fill(HDC dc, const Rect& rect, Colour colour) {
  SetDCBrushColor(dc, colour);
  RECT box = Box(rect);
  FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// The DC's brush fills a shape and its pen outlines it, one pixel wide.
void Paints(HDC dc, Colour fill, Colour pen) {
  SetDCBrushColor(dc, fill);
  SetDCPenColor(dc, pen);
}

void Text(HDC dc, const DrawCommand& command) {
  if (command.opaque) Fill(dc, command.rect, command.pen);
  SelectObject(dc, ThreadFont(command.font));
  SetTextColor(dc, command.colour);
  std::wstring text;
  std::vector<INT> advances;
  for (size_t at = 0; at < command.text.size();) {
    size_t before = text.size();
    AppendUtf16(text, NextCodePoint(command.text, at));
    // Console cells: each character starts a fixed step after the previous; the second
    // half of a surrogate pair adds nothing.
    advances.push_back(command.advance);
    if (text.size() - before == 2) advances.push_back(0);
  }
  ExtTextOutW(dc, command.from.x, command.from.y, 0, nullptr, text.data(), static_cast<UINT>(text.size()),
              command.advance > 0 ? advances.data() : nullptr);
}

void Polygon(HDC dc, const DrawCommand& command) {
  std::vector<POINT> points;
  for (Point point : command.points) points.push_back({point.x, point.y});
  Paints(dc, command.colour, command.colour);
  ::Polygon(dc, points.data(), static_cast<int>(points.size()));
}

// Black dots on every other pixel, as FLTK's dotted line draws the focus frame.
void FocusFrame(HDC dc, const Rect& box) {
  for (int x = box.x; x < box.Right(); x += 2) {
    SetPixelV(dc, x, box.y, 0);
    SetPixelV(dc, x, box.Bottom() - 1, 0);
  }
  for (int y = box.y; y < box.Bottom(); y += 2) {
    SetPixelV(dc, box.x, y, 0);
    SetPixelV(dc, box.Right() - 1, y, 0);
  }
}

void Image(HDC dc, const DrawCommand& command) {
  const Bitmap& image = *command.image;
  // A 32-bit DIB's pixel is 0x00RRGGBB, red and blue the other way round.
  std::vector<uint32_t> pixels;
  pixels.reserve(image.pixels.size());
  for (Colour pixel : image.pixels) pixels.push_back(RGB(BlueOf(pixel), GreenOf(pixel), RedOf(pixel)));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, command.from.x, command.from.y, static_cast<DWORD>(image.width),
                    static_cast<DWORD>(image.height), 0, 0, 0, static_cast<UINT>(image.height), pixels.data(), &info,
                    DIB_RGB_COLORS);
}

void Draw(HDC dc, const DrawCommand& command, bool caretOn) {
  const Rect& box = command.rect;
  switch (command.kind) {
    case DrawKind::FillBox:
      Fill(dc, box, command.colour);
      break;
    case DrawKind::FrameBox: {
      SetDCBrushColor(dc, command.colour);
      RECT frame = Box(box);
      FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      break;
    }
    case DrawKind::Line:
      SetDCPenColor(dc, command.colour);
      MoveToEx(dc, command.from.x, command.from.y, nullptr);
      LineTo(dc, command.to.x, command.to.y);
      break;
    case DrawKind::Pixel:
      SetPixelV(dc, command.from.x, command.from.y, command.colour);
      break;
    case DrawKind::Rectangle:
      Paints(dc, command.colour, command.pen);
      ::Rectangle(dc, box.x, box.y, box.Right(), box.Bottom());
      break;
    case DrawKind::RoundRectangle:
      Paints(dc, command.colour, command.pen);
      RoundRect(dc, box.x, box.y, box.Right(), box.Bottom(), command.from.x, command.from.y);
      break;
    case DrawKind::Ellipse:
      Paints(dc, command.colour, command.pen);
      ::Ellipse(dc, box.x, box.y, box.Right(), box.Bottom());
      break;
    case DrawKind::Arc:
      // GDI's arc runs counter-clockwise between the radials, as the picture's does.
      SetDCPenColor(dc, command.pen);
      ::Arc(dc, box.x, box.y, box.Right(), box.Bottom(), command.from.x, command.from.y, command.to.x, command.to.y);
      break;
    case DrawKind::Polygon:
      Polygon(dc, command);
      break;
    case DrawKind::Text:
      Text(dc, command);
      break;
    case DrawKind::FocusFrame:
      FocusFrame(dc, box);
      break;
    case DrawKind::Image:
      Image(dc, command);
      break;
    case DrawKind::Caret:
      // The caret turns the pixels beneath it over, so it shows on any background.
      if (caretOn) PatBlt(dc, box.x, box.y, box.width, box.height, DSTINVERT);
      break;
  }
}

}  // namespace

void PlayBack(HDC dc, const DrawingList& picture, bool caretOn) {
  int saved = SaveDC(dc);
  SelectObject(dc, GetStockObject(DC_BRUSH));
  SelectObject(dc, GetStockObject(DC_PEN));
  SetBkMode(dc, TRANSPARENT);
  // A text command gives its baseline's origin.
  SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
  for (const DrawCommand& command : picture) {
    if (command.clip.Empty()) continue;
    SelectClipRgn(dc, nullptr);
    IntersectClipRect(dc, command.clip.x, command.clip.y, command.clip.Right(), command.clip.Bottom());
    Draw(dc, command, caretOn);
  }
  RestoreDC(dc, saved);
}
