// Playing a composed picture back with FLTK's drawing calls, on the FLTK thread.
#pragma once

#include <FL/Enumerations.H>

#include "ui/toolkit/core/drawing.h"

// The face's kind (font_kinds.h) chooses FLTK's Courier, Times or Helvetica; bold and
// italic choose the variant.
Fl_Font FltkFont(const FontDescription& font);
// caretOn: the blinking caret is in its visible phase.
void PlayBack(const DrawingList& picture, bool caretOn);
