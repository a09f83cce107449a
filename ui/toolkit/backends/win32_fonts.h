// The program's fonts as GDI fonts. Faces are chosen by kind, as the FLTK backend
// chooses them: monospace faces become Courier New, serif faces Times New Roman, every
// other face Arial; these have the measures of the faces FLTK shows on Linux (Nimbus
// Mono, Roman and Sans), so a form lays out alike on both. Measuring and drawing use
// the same GDI font, so the measures agree with what is drawn.
#pragma once

#include <vector>

#include "ui/toolkit/backends/win32_windows.h"
#include "ui/toolkit/core/fonts.h"

// The caller deletes it.
HFONT CreateGdiFont(const FontDescription& font);
// The calling thread's font for the handle, kept until the thread ends.
HFONT ThreadFont(FontHandle font);

// On any thread.
FontMetrics MeasureGdiFont(const FontDescription& font);
std::vector<int> MeasureGdiCharacters(const FontDescription& font, const std::vector<uint32_t>& codes);
