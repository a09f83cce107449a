#include "ui/tool/setting_values.h"

#include <cmath>

#include "runtime/number_format.h"
#include "runtime/stream.h"

namespace {

constexpr double LargestShown = 1e10;

float SnapCode(int code) {
  if (code < 100) code = 100;
  if (code >= 103 && code <= 109) code = 102;
  if (code > 112) code = 112;
  return static_cast<float>(code);
}

// Truncated toward zero into 16 bits, as the unit's code is held.
int UnitsCode(double value) {
  if (!(std::fabs(value) < 32768)) return value < 0 ? -32768 : 32767;
  return static_cast<int16_t>(value);
}

}  // namespace

String FormatSettingValue(double value, uint8_t decimals, int8_t countBy) {
  if (std::fabs(value) > LargestShown) return value >= 0 ? "+++++++" : "-------";
  String text;
  StringStream out(text);
  PutRealNumber(out, value, 0, 0, 0, 1, decimals, countBy);
  return text;
}

double ReadSettingText(const String& text) { return ReadReal(text); }

float SnapWeightUnits(double code) { return SnapCode(UnitsCode(code)); }

float StepWeightUnits(double code, bool up) {
  int t = UnitsCode(code);
  if (up) t = t == 102 ? 110 : t + 1;
  else t = t == 110 ? 102 : t - 1;
  return SnapCode(t);
}

float SnapResponseTime(double seconds) {
  if (seconds < 0.15) return 0.1f;
  if (seconds < 0.55) return 0.5f;
  if (seconds < 2.05) return 2.0f;
  return 5.0f;
}

// The comparisons are against the value as the unit holds it, a single-precision
// float: the stored 0.1 is a little above 0.1 and steps up to 0.5.
float StepResponseTime(double seconds, bool up) {
  if (up) {
    if (seconds < 0.1) return 0.1f;
    if (seconds < 0.5) return 0.5f;
    if (seconds < 2.0) return 2.0f;
    return 5.0f;
  }
  if (seconds > 5.0) return 5.0f;
  if (seconds > 2.0) return 2.0f;
  if (seconds > 0.5) return 0.5f;
  return 0.1f;
}
