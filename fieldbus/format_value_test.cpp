#include "fieldbus/format_value.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "fieldbus/data_table.h"

namespace {

TEST(FormatValueTest, WritesTheValueInTheFormOfItsType) {
  struct Case {
    double number;
    uint8_t type;
    const char* text;
  };
  for (auto [number, type, text] : {
           Case{0, TypeBool, "0"},
           Case{0.5, TypeBool, "1"},
           Case{-3, TypeBool, "1"},
           Case{65535, TypeBits16, "0xFFFF"},
           Case{4660.9, TypeBits16, "0x1234"},
           Case{-1, TypeBits16, "0xFFFF"},
           Case{65536, TypeBits16, "0x0000"},
           Case{1000.5, TypeReal32, "1000.5"},
           Case{-2.5, TypeReal32, "-2.5"},
           Case{0.1, TypeReal32, "0.1"},
           Case{1234567.89, TypeReal32, "1234568"},
           Case{-2.7, TypeSigned32, "-2"},
           Case{2.7, TypeSigned32, "2"},
           Case{-2147483648.0, TypeSigned32, "-2147483648"},
           Case{12, 5, ""},
       }) {
    EXPECT_EQ(FormatValue(number, type), text) << number << " type " << int{type};
  }
}

// Limits come from the data table as doubles, and a text such as 1E999 there reads
// as infinity: every value has one text, at the edges of each type's range too.
TEST(FormatValueTest, ValuesBeyondEveryRangeStayDefined) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double twoTo63 = 0x1p63;
  const double belowTwoTo63 = std::nextafter(twoTo63, 0.0);  // 2^63 - 1024
  const double beyondMinusTwoTo63 = std::nextafter(-twoTo63, -infinity);
  constexpr double floatMax = FLT_MAX;
  const double beyondFloatMax = std::nextafter(floatMax, infinity);
  struct Case {
    double number;
    uint8_t type;
    const char* text;
  };
  for (auto [number, type, text] : {
           // Integers are not held to 32 bits: a table limit beyond them shows as
           // written, up to where a 64-bit integer saturates.
           Case{2147483647.0, TypeSigned32, "2147483647"},
           Case{2147483648.0, TypeSigned32, "2147483648"},
           Case{-2147483649.0, TypeSigned32, "-2147483649"},
           Case{belowTwoTo63, TypeSigned32, "9223372036854774784"},
           Case{twoTo63, TypeSigned32, "9223372036854775807"},
           Case{1e300, TypeSigned32, "9223372036854775807"},
           Case{infinity, TypeSigned32, "9223372036854775807"},
           Case{-twoTo63, TypeSigned32, "-9223372036854775808"},
           Case{beyondMinusTwoTo63, TypeSigned32, "-9223372036854775808"},
           Case{-1e300, TypeSigned32, "-9223372036854775808"},
           Case{-infinity, TypeSigned32, "-9223372036854775808"},
           Case{nan, TypeSigned32, "0"},
           // Bit lists keep the low 16 bits of that same integer.
           Case{belowTwoTo63, TypeBits16, "0xFC00"},
           Case{1e300, TypeBits16, "0xFFFF"},
           Case{infinity, TypeBits16, "0xFFFF"},
           Case{-1e300, TypeBits16, "0x0000"},
           Case{-infinity, TypeBits16, "0x0000"},
           Case{nan, TypeBits16, "0x0000"},
           // Reals are single precision: beyond its largest value a limit becomes
           // infinite, and the form of an infinite number is four signs.
           Case{floatMax, TypeReal32, "3.402823E38"},
           Case{-floatMax, TypeReal32, "-3.402823E38"},
           Case{beyondFloatMax, TypeReal32, "++++"},
           Case{1e300, TypeReal32, "++++"},
           Case{infinity, TypeReal32, "++++"},
           Case{-beyondFloatMax, TypeReal32, "----"},
           Case{-1e300, TypeReal32, "----"},
           Case{-infinity, TypeReal32, "----"},
           Case{nan, TypeReal32, "0000"},
           // Anything but zero is true, as in C.
           Case{1e300, TypeBool, "1"},
           Case{-infinity, TypeBool, "1"},
           Case{nan, TypeBool, "1"},
       }) {
    EXPECT_EQ(FormatValue(number, type), text) << number << " type " << int{type};
  }
}

}  // namespace
