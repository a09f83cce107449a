#include "runtime/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "testing/pseudorandom.h"

namespace {

std::string Number(int64_t value, uint8_t flags, uint8_t sign, int width, int decimals, int scale) {
  String text;
  StringStream out(text);
  PutNumber(out, value, flags, sign, width, decimals, scale);
  return std::string(text.View());
}

std::string RealNumber(double value, int digits, uint8_t flags, uint8_t sign, int width, int decimals,
                       int scale) {
  String text;
  StringStream out(text);
  PutRealNumber(out, value, digits, flags, sign, width, decimals, scale);
  return std::string(text.View());
}

std::string Real(double value, int digits) {
  String text;
  StringStream out(text);
  PutReal(out, value, digits);
  return std::string(text.View());
}

struct NumberCase {
  int64_t value;
  uint8_t flags;
  uint8_t sign;
  int width;
  int decimals;
  int scale;
  std::string expected;
};

void ExpectNumbers(const std::vector<NumberCase>& cases) {
  for (const NumberCase& c : cases) {
    EXPECT_EQ(Number(c.value, c.flags, c.sign, c.width, c.decimals, c.scale), c.expected)
        << c.value << " flags " << int{c.flags} << " sign " << int{c.sign} << " width " << c.width
        << " decimals " << c.decimals << " scale " << c.scale;
  }
}

TEST(PutNumber, WidthZeroFillSignAndPoint) {
  ExpectNumbers({
      {10, 0x01, 0, 2, 0, 0, "10"},
      {5, 0x01, 0, 2, 0, 0, "05"},
      {7123, 0x01, 0, 2, 3, 0, "07.123"},
      {-5, 0, 0, 4, 0, 0, "  -5"},
      {-5, 0x01, 0, 4, 0, 0, "-005"},
      {5, 0, 1, 0, 0, 0, " 5"},
      {5, 0x01, 2, 4, 0, 0, "+005"},
      {0, 0, 2, 0, 0, 0, "+0"},
      {-5, 0, 2, 0, 0, 0, "-5"},
      {5, 0, 7, 0, 0, 0, "5"},
      {5, 0, 0, 0, 3, 0, "0.005"},
      {-5, 0, 0, 0, 3, 0, "-0.005"},
      {1234, 0x04, 0, 0, 2, 0, "12,34"},
      // The width counts the integer part only, unless the whole text is asked for.
      {12345, 0, 0, 6, 2, 0, "   123.45"},
      {12345, 0x80, 0, 8, 2, 0, "  123.45"},
      {12345, 0x81, 1, 8, 2, 0, " 0123.45"},
      {123456, 0, 0, 3, 0, 0, "123456"},
      {1, 0, 0, -5, 0, 0, "1"},
      {5, 0x10, 0, 0, 0, 0, "5"},
  });
}

TEST(PutNumber, StripsFractionZerosAndGroupsBothSidesOfThePoint) {
  ExpectNumbers({
      {1200, 0x02, 0, 0, 3, 0, "1.2"},
      {1000, 0x02, 0, 0, 3, 0, "1"},
      {0, 0x02, 0, 0, 2, 0, "0"},
      {1000, 0x02, 0, 0, 0, 0, "1000"},
      {1234567, 0x08, 0, 0, 0, 0, "1,234,567"},
      {1234567, 0x0C, 0, 0, 0, 0, "1 234 567"},
      {123, 0x08, 0, 0, 0, 0, "123"},
      {123456789, 0x08, 0, 0, 4, 0, "12,345.678,9"},
      {123456789, 0x0C, 0, 0, 4, 0, "12 345,678 9"},
      {-1234567000, 0x0A, 0, 0, 6, 0, "-1,234.567"},
      {1234, 0x09, 0, 9, 0, 0, "0,001,234"},
      {1234, 0x09, 0, 7, 0, 0, "001,234"},
      // Only a separator would fit in the last place: it stays a space.
      {1234, 0x09, 0, 8, 0, 0, " 001,234"},
      {-1234, 0x09, 0, 9, 0, 0, " -001,234"},
      {-1234, 0x09, 0, 10, 0, 0, "-0,001,234"},
      {5, 0x09, 0, 6, 2, 0, "00,000.05"},
      {1234, 0x89, 0, 9, 1, 0, "000,123.4"},
  });
}

TEST(PutNumber, ScaleAndClamping) {
  ExpectNumbers({
      {5, 0, 0, 0, 0, 100, "500"},
      {123, 0, 0, 0, 1, 10, "123"},
      {247, 0, 0, 0, 1, 5, "123.5"},
      {5, 0, 0, 0, 0, 25, "100"},
      {5, 0, 0, 0, 0, 15, "50"},
      {5, 0, 0, 0, 2, 1, "0.05"},
      {5, 0, 0, 0, 0, -10, "5"},
      {5, 0x08, 0, 0, -4, 0, "50,000"},
      {1, 0, 0, 0, 30, 0, "0." + std::string(23, '0') + "1"},
      {1, 0, 0, 0, -30, 0, "1" + std::string(24, '0')},
      {1, 0, 0, 0, 24, 10000, "0." + std::string(19, '0') + "1"},
      {1, 0, 0, 40, 0, 0, std::string(34, ' ') + "1"},
      {1, 0x80, 0, 60, 0, 0, std::string(49, ' ') + "1"},
  });
}

TEST(PutNumber, ExtremeValuesNeverOverflow) {
  ExpectNumbers({
      {INT64_MIN, 0, 0, 0, 0, 0, "-9223372036854775808"},
      {INT64_MIN, 0x08, 0, 0, 0, 0, "-9,223,372,036,854,775,808"},
      {INT64_MIN, 0, 0, 0, 0, 9, "-83010348331692982272"},
      {INT64_MAX, 0, 0, 0, 2, 9, "830103483316929822.63"},
      {INT64_MIN, 0, 0, 0, 0, 90, "-830103483316929822720"},
  });
}

struct RealCase {
  double value;
  int digits;
  uint8_t flags;
  uint8_t sign;
  int width;
  int decimals;
  int scale;
  std::string expected;
};

void ExpectReals(const std::vector<RealCase>& cases) {
  for (const RealCase& c : cases) {
    EXPECT_EQ(RealNumber(c.value, c.digits, c.flags, c.sign, c.width, c.decimals, c.scale), c.expected)
        << c.value << " digits " << c.digits << " flags " << int{c.flags} << " sign " << int{c.sign}
        << " width " << c.width << " decimals " << c.decimals << " scale " << c.scale;
  }
}

TEST(PutRealNumber, FixedDecimalsRoundHalfAwayFromZero) {
  ExpectReals({
      {2.0, 15, 0, 0, 1, 2, 0, "2.00"},
      {0.125, 15, 0, 0, 0, 2, 0, "0.13"},
      {-0.125, 15, 0, 0, 0, 2, 0, "-0.13"},
      {2.5, 15, 0, 0, 1, 0, 0, "3"},
      {0.5, 15, 0, 0, 1, 0, 0, "1"},
      {-2.5, 15, 0, 0, 1, 0, 0, "-3"},
      // The double nearest 1.005 lies below it.
      {1.005, 15, 0, 0, 0, 2, 0, "1.00"},
      {9.996, 15, 0, 0, 0, 2, 0, "10.00"},
      {0.996, 15, 0, 0, 0, 2, 0, "1.00"},
      {0.004, 15, 0, 0, 0, 2, 0, "0.00"},
      {0.006, 15, 0, 0, 0, 2, 0, "0.01"},
      {0.6, 15, 0, 0, 0, 0, 0, "0.6"},
      {0.6, 15, 0, 0, 3, 0, 0, "  1"},
      {0.0, 15, 0, 0, 0, 3, 0, "0.000"},
      // The sign belongs to the value, not to its rounded digits.
      {-0.004, 15, 0, 0, 0, 2, 0, "-0.00"},
      {12345.6, 15, 0, 0, 0, -2, 0, "12300"},
      {1e30, 15, 0, 0, 0, 2, 0, "1" + std::string(30, '0') + ".00"},
      {2.5, 15, 0x02, 0, 0, 3, 0, "2.5"},
      {3.0, 15, 0x02, 0, 0, 3, 0, "3"},
      {1.0 / 3, 3, 0, 0, 0, 5, 0, "0.33300"},
      {2.0, 15, 0x10, 0, 0, 2, 0, "2"},
      {0.5, 7, 0x01, 0, 0, 0, 0, "0.5000000"},
  });
}

TEST(PutRealNumber, ScaleShowsMultiplesOfTheLastDigit) {
  ExpectReals({
      {123.47, 15, 0, 0, 1, 1, 5, "123.5"},
      {123.74, 15, 0, 0, 1, 1, 5, "123.5"},
      {123.76, 15, 0, 0, 1, 1, 5, "124.0"},
      {1234, 15, 0, 0, 1, 0, 10, "1230"},
      {1235, 15, 0, 0, 1, 0, 10, "1240"},
      {1234.5, 15, 0, 0, 1, 1, 100, "1230"},
      {123.47, 15, 0, 0, 1, 2, 20, "123.4"},
      {100, 15, 0, 0, 1, 0, 25, "100"},
      {1299, 15, 0, 0, 1, 0, 25, "1300"},
      {10, 15, 0, 0, 0, 0, 4, "10"},
      {123.47, 15, 0, 0, 1, 1, -5, "123.5"},
  });
}

TEST(PutRealNumber, FillSignAndGrouping) {
  ExpectReals({
      {3.14159, 15, 0, 0, 6, 2, 0, "     3.14"},
      {-3.14159, 15, 0x01, 0, 6, 2, 0, "-00003.14"},
      {3.14159, 15, 0x80, 0, 6, 2, 0, "  3.14"},
      {3.14159, 15, 0x81, 2, 6, 2, 0, "+03.14"},
      {1234567.891, 15, 0x08, 0, 0, 2, 0, "1,234,567.89"},
      {1234567.891, 15, 0x0C, 0, 0, 2, 0, "1 234 567,89"},
      {1234.5, 15, 0x09, 0, 7, 1, 0, "001,234.5"},
      {1.5, 15, 0, 2, 0, 0, 0, "+1.5"},
      {1.5, 15, 0, 1, 0, 0, 0, " 1.5"},
      {-1.5, 15, 0, 1, 0, 0, 0, "-1.5"},
      {1.0e9, 7, 0, 0, 12, 0, 0, "  1000000000"},
      {1.0e9, 7, 0x10, 0, 8, 0, 0, "       1E9"},
      {1.0e9, 7, 0x90, 0, 8, 0, 0, "     1E9"},
  });
}

TEST(PutRealNumber, EngineeringAndScientificNotation) {
  ExpectReals({
      {12345.0, 15, 0x20, 0, 0, 0, 0, "12.345E3"},
      {0.00012345, 15, 0x20, 0, 0, 0, 0, "123.45E-6"},
      {1.5, 15, 0x20, 0, 0, 0, 0, "1.5"},
      {-1234.5, 3, 0x20, 0, 0, 0, 0, "-1.23E3"},
      {123.0, 2, 0x20, 0, 0, 0, 0, "120"},
      {999.6, 15, 0x20, 0, 1, 0, 0, "1E3"},
      {1.5e-10, 15, 0x20, 0, 0, 2, 0, "150.00E-12"},
      {12345.0, 15, 0x40, 0, 0, 0, 0, "1.2345E4"},
      {0.5, 15, 0x40, 0, 0, 0, 0, "5E-1"},
      {9.96, 15, 0x40, 0, 0, 1, 0, "1.0E1"},
      {12345.0, 15, 0x40, 0, 0, -2, 0, "1E4"},
      {0.0, 15, 0x40, 0, 0, 2, 0, "0.00"},
      {12345.0, 15, 0x60, 0, 0, 0, 0, "12.345E3"},
      {-12345.0, 15, 0x41, 0, 6, 1, 0, "-00001.2E4"},
      {12345.0, 15, 0xC1, 0, 8, 1, 0, "0001.2E4"},
  });
}

TEST(PutRealNumber, InfinitiesAndNotANumberAreRunsOfMarks) {
  const double infinity = std::numeric_limits<double>::infinity();
  const double notANumber = std::numeric_limits<double>::quiet_NaN();
  ExpectReals({
      {infinity, 15, 0, 0, 0, 0, 0, "++++"},
      {-infinity, 15, 0, 0, 6, 2, 0, "--------"},
      {notANumber, 15, 0x80, 0, 6, 2, 0, "000000"},
      {notANumber, 15, 0, 2, 2, 0, 0, "0000"},
      {infinity, 15, 0, 2, 99, 0, 0, std::string(35, '+')},
      {infinity, 15, 0x80, 0, 99, 0, 0, std::string(50, '+')},
      {-infinity, 15, 0, 0, 1, -24, 0, "----"},
  });
}

TEST(PutReal, GeneralForm) {
  struct Case {
    double value;
    int digits;
    const char* expected;
  };
  const Case cases[] = {
      {0.5, 7, "0.5"},
      {1.0e9, 7, "1E9"},
      {0.001, 15, "0.001"},
      {0.0001, 15, "1E-4"},
      {12345678, 15, "12345678"},
      {123456789, 15, "1.23456789E8"},
      {99999999.97, 7, "1E8"},
      {9999999.7, 7, "10000000"},
      {0.0, 15, "0"},
      {-0.0, 15, "0"},
      {-2.5e-7, 15, "-2.5E-7"},
      {1.0 / 3, 15, "0.333333333333333"},
      {1.0 / 3, 0, "0.333333333333333"},
      {1.0 / 3, 1, "0.333333333333333"},
      {1.0 / 3, 40, "0.33333333333333331"},
      {2.0 / 3, 7, "0.6666667"},
      {static_cast<double>(0.1f), 7, "0.1"},
      {0.125, 2, "0.13"},
      {1234567.5, 7, "1234568"},
      {1234568.5, 7, "1234569"},
      {-1234568.5, 7, "-1234569"},
      {5e-324, 15, "4.94065645841247E-324"},
      {std::numeric_limits<double>::max(), 15, "1.79769313486232E308"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Real(c.value, c.digits), c.expected) << c.value << " " << c.digits;
  }
}

// A decimal as sign, `precision` significant digits and the exponent of the first.
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
  bool operator==(const Decimal&) const = default;
};

void PrintTo(const Decimal& decimal, std::ostream* out) {
  *out << (decimal.negative ? "-" : "") << decimal.digits << " E" << decimal.exponent;
}

// Reads plain or exponent notation, as written by PutReal or by "%G".
Decimal ParseDecimal(const std::string& text, int precision) {
  Decimal decimal;
  size_t at = 0;
  if (text[at] == '-') {
    decimal.negative = true;
    ++at;
  }
  std::string digits;
  int pointAt = -1;
  for (; at < text.size() && text[at] != 'E'; ++at) {
    if (text[at] == '.') {
      pointAt = static_cast<int>(digits.size());
    } else {
      digits += text[at];
    }
  }
  if (pointAt < 0) pointAt = static_cast<int>(digits.size());
  int written = at < text.size() ? std::atoi(text.c_str() + at + 1) : 0;
  size_t first = digits.find_first_not_of('0');
  decimal.exponent = pointAt - 1 - static_cast<int>(first) + written;
  decimal.digits = digits.substr(first);
  // Padded but never cut: a significant digit too many must fail the comparison.
  decimal.digits.erase(decimal.digits.find_last_not_of('0') + 1);
  if (decimal.digits.size() < static_cast<size_t>(precision)) {
    decimal.digits.resize(static_cast<size_t>(precision), '0');
  }
  return decimal;
}

// The next decimal away from zero at the last of its digits.
Decimal OneUnitAway(Decimal decimal) {
  for (size_t i = decimal.digits.size(); i-- > 0;) {
    if (decimal.digits[i] != '9') {
      ++decimal.digits[i];
      return decimal;
    }
    decimal.digits[i] = '0';
  }
  decimal.digits.insert(0, 1, '1');
  decimal.digits.pop_back();
  ++decimal.exponent;
  return decimal;
}

// Whether the exact value lies exactly halfway between two decimals of `precision` digits.
bool IsExactlyHalfway(double value, int precision) {
  char text[900];
  std::snprintf(text, sizeof text, "%.800e", std::fabs(value));
  std::string digits(1, text[0]);
  digits += std::string(text + 2, std::strchr(text, 'e'));
  size_t halfAt = static_cast<size_t>(precision);
  return digits[halfAt] == '5' && digits.find_first_not_of('0', halfAt + 1) == std::string::npos;
}

// The general form's own text rules, which "%G" does not share.
void ExpectGeneralFormShape(const std::string& text, int leadingExponent) {
  size_t exponentAt = text.find('E');
  bool plain = leadingExponent >= -3 && leadingExponent <= 7;
  EXPECT_EQ(exponentAt == std::string::npos, plain) << text;
  std::string mantissa = text.substr(0, exponentAt);
  if (mantissa.find('.') != std::string::npos) {
    EXPECT_NE(mantissa.back(), '0') << text;
    EXPECT_NE(mantissa.back(), '.') << text;
  }
  if (plain) return;
  size_t firstDigit = mantissa[0] == '-' ? 1 : 0;
  EXPECT_TRUE(mantissa.size() == firstDigit + 1 || mantissa[firstDigit + 1] == '.') << text;
  std::string exponent = text.substr(exponentAt + 1);
  size_t exponentDigit = exponent[0] == '-' ? 1 : 0;
  EXPECT_TRUE(exponent.size() > exponentDigit && exponent[exponentDigit] >= '1' &&
              exponent[exponentDigit] <= '9')
      << text;
}

// Compares PutReal with "%.<precision>G" and returns how many values differed by
// rounding a half away from zero rather than to even.
int CompareWithCLibrary(double value, int precision) {
  std::string ours = Real(value, precision);
  char theirs[64];
  std::snprintf(theirs, sizeof theirs, "%.*G", precision, value);
  Decimal expected = ParseDecimal(theirs, precision);
  Decimal actual = ParseDecimal(ours, precision);
  ExpectGeneralFormShape(ours, actual.exponent);
  if (actual == expected) return 0;
  EXPECT_EQ(actual, OneUnitAway(expected)) << ours << " against " << theirs;
  EXPECT_TRUE(IsExactlyHalfway(value, precision)) << ours << " against " << theirs;
  return 1;
}

// A decimal of 1 to mostDigits random digits, a random sign and an exponent within ±30.
std::string RandomDecimalText(Pseudorandom& random, int mostDigits) {
  std::string text = random.OneIn(2) ? "-" : "";
  int count = random.Between(1, mostDigits);
  text += static_cast<char>('1' + random.Below(9));
  text += '.';
  for (int i = 1; i < count; ++i) text += static_cast<char>('0' + random.Below(10));
  text += 'e' + std::to_string(random.Between(-30, 30));
  return text;
}

TEST(PutReal, AgreesWithCLibraryGeneralFormatOnRandomDoubles) {
  Pseudorandom random;
  int halfwayDifferences = 0;
  for (int i = 0; i < 100000; ++i) {
    uint64_t bits = random.Next();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value) && value != 0) halfwayDifferences += CompareWithCLibrary(value, 15);
    double decimal = std::strtod(RandomDecimalText(random, 17).c_str(), nullptr);
    halfwayDifferences += CompareWithCLibrary(decimal, 15);
  }
  EXPECT_GT(halfwayDifferences, 0);
}

TEST(PutReal, AgreesWithCLibraryGeneralFormatOnRandomFloats) {
  Pseudorandom random(19700101);
  int halfwayDifferences = 0;
  for (int i = 0; i < 100000; ++i) {
    uint32_t bits = static_cast<uint32_t>(random.Next());
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value) && value != 0) halfwayDifferences += CompareWithCLibrary(value, 7);
    float decimal = std::strtof(RandomDecimalText(random, 9).c_str(), nullptr);
    halfwayDifferences += CompareWithCLibrary(decimal, 7);
  }
  EXPECT_GT(halfwayDifferences, 0);
}

}  // namespace
