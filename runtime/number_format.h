// Decimal and real number formatting onto streams: width, zero fill, sign, fixed
// decimals, scale, thousands grouping and the general (shortest) real form.
#pragma once

#include <cstdint>

#include "runtime/stream.h"

inline constexpr uint8_t NumberZeroFill = 0x01;
inline constexpr uint8_t NumberStripZeros = 0x02;
inline constexpr uint8_t NumberDecimalComma = 0x04;  // ',' point and ' ' grouping
inline constexpr uint8_t NumberGroupThousands = 0x08;
inline constexpr uint8_t NumberIgnoreWidthForNotation = 0x10;
inline constexpr uint8_t NumberEngineering = 0x20;
inline constexpr uint8_t NumberScientific = 0x40;
inline constexpr uint8_t NumberWholeWidth = 0x80;

// sign: 0 nothing for positive values, 1 a space, 2 '+'.
// decimals: the value is fixed-point with that many digits after the point.
// scale: a multiplier applied first; each factor of 10 becomes one decimal less.
void PutNumber(Stream& stream, int64_t value, uint8_t flags, uint8_t sign, int width, int decimals,
               int scale);
// significantDigits below 2 count as 15.
void PutRealNumber(Stream& stream, double value, int significantDigits, uint8_t flags, uint8_t sign,
                   int width, int decimals, int scale);
// The general form: 7 significant digits for single precision values, 15 for double.
void PutReal(Stream& stream, double value, int significantDigits);
