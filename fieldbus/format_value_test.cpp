#include "fieldbus/format_value.h"

#include <gtest/gtest.h>

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

TEST(FormatValueTest, ValuesBeyondEveryRangeStayDefined) {
  double huge = 1e300;
  EXPECT_EQ(FormatValue(huge, TypeSigned32), "9223372036854775807");
  EXPECT_EQ(FormatValue(-huge, TypeBits16), "0x0000");
  EXPECT_EQ(FormatValue(std::numeric_limits<double>::quiet_NaN(), TypeSigned32), "0");
  EXPECT_FALSE(FormatValue(huge, TypeReal32).empty());
}

}  // namespace
