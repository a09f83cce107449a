#include "runtime/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr int MostDecimals = 24;
constexpr int MostWholeWidth = 50;
constexpr int MostIntegerWidth = 35;
// More digits than a double can tell apart would only show its binary rounding error.
constexpr int MostSignificantDigits = 17;
// Enough digits to settle almost every rounding from one short, correctly rounded print.
constexpr int ShortExpansionDigits = 40;
static_assert(ShortExpansionDigits > MostSignificantDigits,
              "the short print must show the digit after the last one kept");
// A double's exact decimal expansion never has more than 767 significant digits.
constexpr int ExactExpansionDigits = 770;

int ClampWidth(int width, uint8_t flags) {
  return std::min(width, (flags & NumberWholeWidth) ? MostWholeWidth : MostIntegerWidth);
}

// 0 when nothing goes before the digits.
char SignCharacter(bool negative, uint8_t sign) {
  if (negative) return '-';
  if (sign == 1) return ' ';
  if (sign == 2) return '+';
  return 0;
}

// Multiplies decimal digits by a factor of 2 to 9; a scaled 64-bit value may no
// longer fit in 64 bits.
std::string MultiplyDigits(const std::string& digits, int factor) {
  std::string product(digits.size() + 1, '0');
  int carry = 0;
  for (size_t i = digits.size(); i-- > 0;) {
    int digit = (digits[i] - '0') * factor + carry;
    product[i + 1] = static_cast<char>('0' + digit % 10);
    carry = digit / 10;
  }
  product[0] = static_cast<char>('0' + carry);
  return product;
}

// Every factor of ten in the scale shows one decimal fewer; what remains multiplies.
// A scale such as 25 thus works as 20.
void ApplyScale(std::string& digits, int& decimals, int scale) {
  while (scale > 9) {
    scale /= 10;
    --decimals;
  }
  if (scale > 1) digits = MultiplyDigits(digits, scale);
}

// Separators counted from the point: leftwards in the integer part...
std::string GroupInteger(std::string_view digits, char separator) {
  std::string text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += separator;
    text += digits[i];
  }
  return text;
}

// ...and rightwards in the fraction.
std::string GroupFraction(std::string_view digits, char separator) {
  std::string text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && i % 3 == 0) text += separator;
    text += digits[i];
  }
  return text;
}

// Zeros that lengthen an integer part of integerDigits digits to the left within
// places characters, continuing its grouping. A separator only goes in together
// with the zero in front of it, so a fill never starts with a separator: a place
// that only a separator could take stays a space in front of the sign.
std::string ZeroFill(int integerDigits, int places, char separator) {
  std::string fill;
  for (int digits = integerDigits;; ++digits) {
    bool separated = separator != 0 && digits % 3 == 0;
    int needed = separated ? 2 : 1;
    if (needed > places) break;
    if (separated) fill += separator;
    fill += '0';
    places -= needed;
  }
  std::reverse(fill.begin(), fill.end());
  return fill;
}

// Writes a magnitude given as decimal digits, the last `decimals` of them after
// the point. Negative decimals stand for that many zeros after the last digit: a
// scale of 100 on a value of 5 shows 500, not 5.
void PutDigits(Stream& stream, std::string digits, int decimals, char sign, uint8_t flags, int width,
               std::string_view exponent) {
  // Scaling and padding can leave leading zeros; the point decides how many come back.
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  if (decimals < 0) {
    digits.append(static_cast<size_t>(-decimals), '0');
    decimals = 0;
  }
  int length = static_cast<int>(digits.size());
  if (length < decimals + 1) digits.insert(0, static_cast<size_t>(decimals + 1 - length), '0');
  size_t pointAt = digits.size() - static_cast<size_t>(decimals);
  std::string integer = digits.substr(0, pointAt);
  std::string fraction = digits.substr(pointAt);
  if (flags & NumberStripZeros) fraction.erase(fraction.find_last_not_of('0') + 1);

  bool decimalComma = flags & NumberDecimalComma;
  char separator = (flags & NumberGroupThousands) ? (decimalComma ? ' ' : ',') : 0;
  std::string text = separator ? GroupInteger(integer, separator) : integer;
  int integerLength = static_cast<int>(text.size());
  if (!fraction.empty()) {
    text += decimalComma ? ',' : '.';
    text += separator ? GroupFraction(fraction, separator) : fraction;
  }
  text += exponent;

  int measured = (flags & NumberWholeWidth) ? static_cast<int>(text.size()) : integerLength;
  int places = std::max(width - measured - (sign ? 1 : 0), 0);
  std::string zeros;
  if (flags & NumberZeroFill) zeros = ZeroFill(static_cast<int>(integer.size()), places, separator);
  std::string whole(static_cast<size_t>(places) - zeros.size(), ' ');
  if (sign) whole += sign;
  PutText(stream, whole + zeros + text);
}

// Digits of a positive value with the exponent of the first.
struct Expansion {
  std::string digits;
  int exponent;
};

// The C library rounds its last digit correctly; every digit is exact once there
// are as many as the value has.
Expansion Expand(double magnitude, int significantDigits) {
  char text[ExactExpansionDigits + 16];
  std::snprintf(text, sizeof text, "%.*e", significantDigits - 1, magnitude);
  Expansion expansion;
  const char* at = text;
  for (; *at != 'e'; ++at) {
    if (*at != '.') expansion.digits += *at;
  }
  expansion.exponent = std::atoi(at + 1);
  return expansion;
}

// A correctly rounded print decides a rounding after `kept` digits unless it
// ends in exactly a half: then the value may lie on either side of the half.
bool NeedsExactDigits(const Expansion& expansion, int kept) {
  if (kept < 0) return false;
  return expansion.digits[static_cast<size_t>(kept)] == '5' &&
         expansion.digits.find_first_not_of('0', static_cast<size_t>(kept) + 1) == std::string::npos;
}

void Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

// A real's magnitude as integer digits times ten to the power of lastExponent.
struct Mantissa {
  std::string digits;
  int lastExponent;
};

int LeadingExponent(const Mantissa& mantissa) {
  if (mantissa.digits == "0") return 0;
  return mantissa.lastExponent + static_cast<int>(mantissa.digits.size()) - 1;
}

// The value rounded half away from zero at the digit worth 10^lastExponent.
Mantissa RoundAt(double magnitude, int lastExponent) {
  Mantissa rounded{"0", lastExponent};
  if (magnitude == 0) return rounded;
  Expansion expansion = Expand(magnitude, ShortExpansionDigits);
  if (NeedsExactDigits(expansion, expansion.exponent - lastExponent + 1)) {
    expansion = Expand(magnitude, ExactExpansionDigits);
  }
  int kept = expansion.exponent - lastExponent + 1;
  if (kept < 0) return rounded;
  rounded.digits = expansion.digits.substr(0, static_cast<size_t>(kept));
  if (expansion.digits[static_cast<size_t>(kept)] >= '5') Increment(rounded.digits);
  if (rounded.digits.empty()) rounded.digits.assign(1, '0');
  return rounded;
}

Mantissa RoundToSignificant(double magnitude, int significantDigits) {
  if (magnitude == 0) return {"0", 1 - significantDigits};
  int leading = Expand(magnitude, ShortExpansionDigits).exponent;
  Mantissa mantissa = RoundAt(magnitude, leading - significantDigits + 1);
  // 9.99 rounded up to 10.0: the last zero is no longer a significant digit.
  if (static_cast<int>(mantissa.digits.size()) > significantDigits) {
    mantissa.digits.pop_back();
    ++mantissa.lastExponent;
  }
  return mantissa;
}

enum class Notation { Plain, Scientific, Engineering };

Notation ChooseNotation(uint8_t flags, int leadingExponent, bool fixedDecimals) {
  if (flags & NumberEngineering) return Notation::Engineering;
  if (flags & NumberScientific) return Notation::Scientific;
  if (fixedDecimals || (leadingExponent >= -3 && leadingExponent <= 7)) return Notation::Plain;
  return Notation::Scientific;
}

// The exponent written after the digits (0 in plain notation).
int ShownExponent(Notation notation, int leadingExponent) {
  switch (notation) {
    case Notation::Plain:
      return 0;
    case Notation::Scientific:
      return leadingExponent;
    case Notation::Engineering:
      return leadingExponent - ((leadingExponent % 3) + 3) % 3;
  }
  return 0;
}

// Rounds again at the last wanted decimal, or adds zeros, so that exactly `wanted`
// digits follow the point. Rounding up can carry into a higher exponent, which
// moves the point, so the rounding repeats until it holds.
void FitDecimals(double magnitude, Notation notation, int wanted, Mantissa& mantissa, int& exponent) {
  while (exponent - mantissa.lastExponent > wanted) {
    mantissa = RoundAt(magnitude, exponent - wanted);
    exponent = ShownExponent(notation, LeadingExponent(mantissa));
  }
  int missing = wanted - (exponent - mantissa.lastExponent);
  mantissa.digits.append(static_cast<size_t>(missing), '0');
  mantissa.lastExponent -= missing;
}

// The scale ApplyScale really applies. A real is divided by it rather than by the
// scale as given, so that a scale such as 25 (applied as 20) shows 100 as 100, not 80.
double EffectiveScale(int scale) {
  double decades = 1;
  while (scale > 9) {
    scale /= 10;
    decades *= 10;
  }
  return (scale > 1 ? scale : 1) * decades;
}

void PutNonFinite(Stream& stream, double value, uint8_t flags, int width, int decimals) {
  int count = width + ((flags & NumberWholeWidth) ? 0 : decimals);
  char mark = std::isnan(value) ? '0' : (value > 0 ? '+' : '-');
  PutText(stream, std::string(static_cast<size_t>(std::max(count, 4)), mark));
}

}  // namespace

void PutNumber(Stream& stream, int64_t value, uint8_t flags, uint8_t sign, int width, int decimals,
               int scale) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  ApplyScale(digits, decimals, scale);
  decimals = std::clamp(decimals, -MostDecimals, MostDecimals);
  char signCharacter = SignCharacter(value < 0, sign);
  PutDigits(stream, digits, decimals, signCharacter, flags, ClampWidth(width, flags), "");
}

void PutRealNumber(Stream& stream, double value, int significantDigits, uint8_t flags, uint8_t sign,
                   int width, int decimals, int scale) {
  bool fixedDecimals = (decimals != 0 || width != 0) && !(flags & NumberIgnoreWidthForNotation);
  decimals = std::clamp(decimals, -MostDecimals, MostDecimals);
  width = ClampWidth(width, flags);
  if (!std::isfinite(value)) {
    PutNonFinite(stream, value, flags, width, decimals);
    return;
  }
  if (scale > 1) value /= EffectiveScale(scale);
  double magnitude = std::fabs(value);
  if (significantDigits < 2) significantDigits = 15;
  Mantissa mantissa = RoundToSignificant(magnitude, std::min(significantDigits, MostSignificantDigits));
  Notation notation = ChooseNotation(flags, LeadingExponent(mantissa), fixedDecimals);
  int exponent = ShownExponent(notation, LeadingExponent(mantissa));
  if (fixedDecimals) {
    // Zeros after the last digit only make sense without an exponent.
    int wanted = notation == Notation::Plain ? decimals : std::max(decimals, 0);
    FitDecimals(magnitude, notation, wanted, mantissa, exponent);
  }
  std::string exponentText;
  if (notation != Notation::Plain && exponent != 0) exponentText.append("E").append(std::to_string(exponent));

  uint8_t writerFlags = flags & (NumberZeroFill | NumberStripZeros | NumberDecimalComma |
                                 NumberGroupThousands | NumberWholeWidth);
  // A caller's NumberStripZeros trims fixed decimals as well.
  if (!fixedDecimals && !(flags & NumberZeroFill)) writerFlags |= NumberStripZeros;
  int decimalsShown = exponent - mantissa.lastExponent;
  ApplyScale(mantissa.digits, decimalsShown, scale);
  PutDigits(stream, mantissa.digits, decimalsShown, SignCharacter(value < 0, sign), writerFlags, width,
            exponentText);
}

void PutReal(Stream& stream, double value, int significantDigits) {
  PutRealNumber(stream, value, significantDigits, 0, 0, 0, 0, 0);
}
