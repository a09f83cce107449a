// Painting the console's text: each visible row in runs of cells that look alike.
#pragma once

#include "ui/toolkit/core/drawing.h"

struct ConsoleFonts {
  FontHandle normal = 0, underline = 0, bold = 0, italic = 0;
  int cellWidth = 1, cellHeight = 1;
};

// The console's monospace face in its four variants; a variant whose cell differs
// from the normal one's would break the grid, so the normal font stands in for it.
ConsoleFonts MakeConsoleFonts();

// The visible part of the buffer onto the surface; takes ConsoleLock.
void PaintConsole(DrawingSurface& surface, const ConsoleFonts& fonts);
