// Small text operations. Positions and counts are clipped to the string; negative
// ones count as 0.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/string.h"

// Only the letters a to z change.
String UpperCase(std::string_view text);
String Left(const String& text, int count);
String From(const String& text, int position);
String Mid(const String& text, int position, int count);
// The first index at or after `from` where `what` occurs, byte for byte; -1 when
// there is none or `what` is empty.
int Find(std::string_view text, int from, std::string_view what);
// Appends c until the length is width; nothing when c is 0.
void PadRight(String& text, char c, int width);
String PadText(const String& text, int width);
// Decimal, '-' for negatives, at least `digits` digits.
String IntText(int64_t value, int digits = 0);
