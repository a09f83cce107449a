#include "fieldbus/table_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

// A field is a number only when nothing but the number is in it.
TEST(TableNumbersTest, WholeNumbers) {
  struct Case {
    std::string text;
    std::optional<int64_t> value;
  };
  for (const auto& [text, value] : {
           Case{"12", 12},
           Case{" +12\t", 12},
           Case{"-0", 0},
           Case{"007", 7},
           Case{"-9223372036854775808", std::numeric_limits<int64_t>::min()},
           Case{"99999999999999999999", std::numeric_limits<int64_t>::max()},
           Case{"-99999999999999999999", std::numeric_limits<int64_t>::min()},
           Case{"", std::nullopt},
           Case{" ", std::nullopt},
           Case{"-", std::nullopt},
           Case{"0x10", std::nullopt},
           Case{"12kg", std::nullopt},
           Case{"1 2", std::nullopt},
           Case{"4.0", std::nullopt},
           Case{"+-1", std::nullopt},
       }) {
    EXPECT_EQ(ReadWholeNumber(text), value) << "'" << text << "'";
  }
}

TEST(TableNumbersTest, RealNumbers) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  struct Case {
    std::string text;
    std::optional<double> value;
  };
  for (const auto& [text, value] : {
           Case{"1000.5", 1000.5},
           Case{" -2.5 ", -2.5},
           Case{"+.5", 0.5},
           Case{"5.", 5.0},
           Case{"1e5", 1e5},
           Case{"1E+5", 1e5},
           Case{"-1.5e-3", -1.5e-3},
           Case{"3.402823E38", 3.402823e38},
           Case{"1e999", infinity},
           Case{"-1e999", -infinity},
           Case{"1e-999", 0.0},
           Case{"0.000" + std::string(400, '0') + "1e-300", 0.0},
           Case{"1" + std::string(400, '0') + "e-10", infinity},
           Case{"1e99999999999999999999", infinity},
           Case{"", std::nullopt},
           Case{".", std::nullopt},
           Case{"e5", std::nullopt},
           Case{"1e", std::nullopt},
           Case{"1e 5", std::nullopt},
           Case{"1e5.0", std::nullopt},
           Case{"0x1p3", std::nullopt},
           Case{"inf", std::nullopt},
           Case{"nan", std::nullopt},
           Case{"1,5", std::nullopt},
           Case{"abc", std::nullopt},
       }) {
    EXPECT_EQ(ReadRealNumber(text), value) << "'" << text.substr(0, 40) << "'";
  }
}

}  // namespace
