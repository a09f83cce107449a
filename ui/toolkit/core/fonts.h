// Fonts: a description (face, height in pixels, bold, italic, underline) kept in one
// table for the whole program, so that a font is a small handle any thread may pass
// around and nothing has to be released. The backend measures; the measures are kept.
#pragma once

#include <string>
#include <string_view>

#include "ui/toolkit/core/window_types.h"

struct FontDescription {
  std::string face;
  // Character height in pixels.
  int height = 0;
  bool bold = false, italic = false, underline = false;
  friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

struct FontMetrics {
  // From one line's top to the next.
  int height = 0;
  int ascent = 0;
  int descent = 0;
  // The width of "x"; a monospace font's cell width.
  int averageWidth = 0;
};

// The same description gives the same handle.
FontHandle CreateFont(const FontDescription& description);
// Font 0, the system font, reads as a 13-pixel sans-serif face.
FontDescription DescribeFont(FontHandle font);
FontMetrics GetFontMetrics(FontHandle font);
// Text is UTF-8; the width is the sum of the characters' advances.
int MeasureTextWidth(FontHandle font, std::string_view text);
// The measures of the backend that was running are forgotten (a new backend started).
void ForgetFontMeasures();
