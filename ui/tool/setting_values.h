// How the settings view shows a unit's setting and reads what the operator types:
// the value with the unit's decimals and count-by, and the two settings that take
// only a few values (the weight units code and the response time), snapped to them
// and stepped through them by the arrows.
#pragma once

#include <cstdint>

#include "runtime/string.h"

// Beyond 1e10 in magnitude: "+++++++" or "-------". Otherwise `decimals` places, "-"
// only for negatives, and a count-by above 1 rounds to its multiples.
String FormatSettingValue(double value, uint8_t decimals, int8_t countBy);
// Leading blanks, a number with optional fraction and exponent; anything else reads
// as 0 ("12.5kg" is 12.5, "1,5" is 1, "+3" is 0).
double ReadSettingText(const String& text);

// The weight units codes run 100 to 102 and 110 to 112.
float SnapWeightUnits(double code);
float StepWeightUnits(double code, bool up);
// The response time takes 0.1, 0.5, 2.0 or 5.0 seconds.
float SnapResponseTime(double seconds);
float StepResponseTime(double seconds, bool up);
