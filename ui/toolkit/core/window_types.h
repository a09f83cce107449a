// The plain values the window system passes around: handles, colours, points,
// sizes and rectangles.
#pragma once

#include <algorithm>
#include <cstdint>

// 0 is no window. Handles are never used twice, so a stale one finds nothing.
using WindowHandle = uint32_t;
// 0x00BBGGRR.
using Colour = uint32_t;
// A solid brush is its colour; nothing to release.
using BrushHandle = uintptr_t;
// An entry of the font table (fonts.h); 0 is the system font.
using FontHandle = uint32_t;

inline constexpr Colour Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return Colour{red} | Colour{green} << 8 | Colour{blue} << 16;
}
inline constexpr uint8_t RedOf(Colour colour) { return colour & 0xFF; }
inline constexpr uint8_t GreenOf(Colour colour) { return colour >> 8 & 0xFF; }
inline constexpr uint8_t BlueOf(Colour colour) { return colour >> 16 & 0xFF; }

inline constexpr BrushHandle SolidBrush(Colour colour) { return BrushHandle{1} << 32 | colour; }
inline constexpr Colour BrushColour(BrushHandle brush) { return static_cast<Colour>(brush & 0xFFFFFF); }

struct Point {
  int x = 0, y = 0;
  friend bool operator==(Point, Point) = default;
};

struct Size {
  int width = 0, height = 0;
  friend bool operator==(Size, Size) = default;
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool Empty() const { return width <= 0 || height <= 0; }
  bool Contains(Point point) const {
    return point.x >= x && point.x < Right() && point.y >= y && point.y < Bottom();
  }
  Rect Moved(int dx, int dy) const { return {x + dx, y + dy, width, height}; }
  Rect Inset(int by) const { return {x + by, y + by, width - 2 * by, height - 2 * by}; }
  Rect Intersect(const Rect& other) const {
    int left = std::max(x, other.x), top = std::max(y, other.y);
    int right = std::min(Right(), other.Right()), bottom = std::min(Bottom(), other.Bottom());
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};
