#include "ui/toolkit/console/console_paint.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "runtime/clock.h"
#include "runtime/console_buffer.h"
#include "runtime/program_state.h"
#include "runtime/utf8.h"

namespace {

constexpr int FontHeight = 12;
constexpr uint32_t BlinkPeriodMs = 750;

FontHandle Variant(const ConsoleFonts& fonts, FontHandle font, int normalWidth) {
  bool sameCell = MeasureTextWidth(font, " ") == normalWidth &&
                  GetFontMetrics(font).height == GetFontMetrics(fonts.normal).height;
  return sameCell ? font : fonts.normal;
}

FontHandle RunFont(const ConsoleFonts& fonts, uint16_t attributes) {
  if (attributes & AttributeUnderline) return fonts.underline;
  if (attributes & AttributeBold) return fonts.bold;
  if (attributes & AttributeItalic) return fonts.italic;
  return fonts.normal;
}

struct RunLook {
  uint16_t attributes;
  Colour fore, back;
  bool selected;
  friend bool operator==(const RunLook&, const RunLook&) = default;
};

RunLook LookOf(const ConsoleLine& line, int row, int column) {
  return {line.attributes[column], line.fore[column], line.back[column], Console.selection.Contains(row, column)};
}

void DrawEdges(DrawingSurface& surface, Rect box, uint16_t attributes, Colour colour) {
  int right = box.Right() - 1, bottom = box.Bottom() - 1;
  if (attributes & AttributeEdgeTop) DrawLine(surface, {box.x, box.y}, {box.Right(), box.y}, colour);
  if (attributes & AttributeEdgeLeft) DrawLine(surface, {box.x, box.y}, {box.x, box.Bottom()}, colour);
  if (attributes & AttributeEdgeBottom) DrawLine(surface, {box.x, bottom}, {box.Right(), bottom}, colour);
  if (attributes & AttributeEdgeRight) DrawLine(surface, {right, box.y}, {right, box.Bottom()}, colour);
}

void DrawRun(DrawingSurface& surface, const ConsoleFonts& fonts, const RunLook& look, std::string_view text,
             Rect box, bool blinkOn) {
  Colour fore = look.fore, back = look.back;
  // A paused console shows every cell inverted, so the operator sees at once that
  // output is held.
  if (Console.paused) std::swap(fore, back);
  Colour textColour = fore, fillColour = back;
  if (look.selected || (look.attributes & AttributeInverse)) {
    textColour = back;
    fillColour = fore;
  } else if ((look.attributes & AttributeBlink) && !blinkOn) {
    textColour = back;
  }
  DrawTextRun(surface, {box.x, box.y}, text, RunFont(fonts, look.attributes), textColour, fillColour, box, true,
              fonts.cellWidth);
  DrawEdges(surface, box, look.attributes, fore);
}

}  // namespace

ConsoleFonts MakeConsoleFonts() {
  ConsoleFonts fonts;
  fonts.normal = CreateFont({"Lucida Console", FontHeight, false, false, false});
  FontMetrics metrics = GetFontMetrics(fonts.normal);
  fonts.cellWidth = std::max(1, MeasureTextWidth(fonts.normal, " "));
  fonts.cellHeight = std::max(1, metrics.height);
  fonts.underline = Variant(fonts, CreateFont({"Lucida Console", FontHeight, false, false, true}), fonts.cellWidth);
  fonts.bold = Variant(fonts, CreateFont({"Lucida Console", FontHeight, true, false, false}), fonts.cellWidth);
  fonts.italic = Variant(fonts, CreateFont({"Lucida Console", FontHeight, false, true, false}), fonts.cellWidth);
  return fonts;
}

void PaintConsole(DrawingSurface& surface, const ConsoleFonts& fonts) {
  std::lock_guard guard(ConsoleLock);
  Colour empty = Console.paused ? Console.defaultForeColour : Console.defaultBackColour;
  bool blinkOn = TickMilliseconds() % 1'000'000 % BlinkPeriodMs < BlinkPeriodMs / 2;
  for (int shown = 0; shown < Console.visibleRows; ++shown) {
    int row = Console.topLine + shown;
    int y = shown * fonts.cellHeight;
    int x = 0;
    if (row < Console.lineCount && row < Console.maxLines) {
      const ConsoleLine& line = Console.lines[static_cast<size_t>(row)];
      int end = std::min(line.length, Console.columns);
      for (int column = Console.leftColumn; column < end;) {
        RunLook look = LookOf(line, row, column);
        std::string text;
        int next = column;
        for (; next < end && LookOf(line, row, next) == look; ++next) AppendUtf8(text, line.characters[next]);
        Rect box{x, y, (next - column) * fonts.cellWidth, fonts.cellHeight};
        DrawRun(surface, fonts, look, text, box, blinkOn);
        x = box.Right();
        column = next;
      }
    }
    if (x < surface.size.width) FillBox(surface, {x, y, surface.size.width - x, fonts.cellHeight}, empty);
  }
}
