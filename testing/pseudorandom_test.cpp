#include "testing/pseudorandom.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

namespace {

// A range that lost an end would leave the tests that draw from it short of cases.
TEST(Pseudorandom, RangesReachBothEndsAndNoFurther) {
  Pseudorandom random;
  struct Range {
    int low;
    int high;
  };
  for (auto [low, high] :
       {Range{-3, 3}, Range{0, 0}, Range{250, 255}, Range{INT_MIN, INT_MIN + 2}, Range{INT_MAX - 2, INT_MAX}}) {
    std::set<int> seen;
    for (int draw = 0; draw < 1000; ++draw) seen.insert(random.Between(low, high));
    EXPECT_EQ(*seen.begin(), low);
    EXPECT_EQ(*seen.rbegin(), high);
    EXPECT_EQ(seen.size(), static_cast<size_t>(int64_t{high} - low + 1));
  }
  std::set<uint8_t> bytes;
  for (char c : random.Bytes(10'000)) bytes.insert(static_cast<uint8_t>(c));
  EXPECT_EQ(bytes.size(), 256u);
}

TEST(Pseudorandom, TheSeedAloneDecidesTheNumbers) {
  Pseudorandom first, second, other(Pseudorandom::DefaultSeed + 1);
  bool differs = false;
  for (int draw = 0; draw < 100; ++draw) {
    uint64_t number = first.Next();
    EXPECT_EQ(second.Next(), number);
    differs |= other.Next() != number;
  }
  EXPECT_TRUE(differs);
}

}  // namespace
