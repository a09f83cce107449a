// Conversions between the table's double values, the single-precision arithmetic
// of the templates and integers, defined for every input: values out of range
// saturate the way the unit's own conversions do instead of being undefined.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

inline float SinglePrecision(double value) {
  if (value > FLT_MAX) return std::numeric_limits<float>::infinity();
  if (value < -FLT_MAX) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

// Toward zero; NaN gives 0.
inline int64_t TruncateTowardZero(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 0x1p63) return std::numeric_limits<int64_t>::max();
  if (value < -0x1p63) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}
