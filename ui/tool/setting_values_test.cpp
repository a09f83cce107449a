// Settings as the view shows them and reads them back: the formatter's rounding to the
// count-by, the overflow marks, the forgiving number reader, and the snapping and
// stepping of the two settings that take only a few values.
#include <gtest/gtest.h>

#include "ui/tool/setting_values.h"

namespace {

TEST(SettingValuesTest, FormatSettingValue) {
  struct Case {
    double value;
    uint8_t decimals;
    int8_t countBy;
    const char* shown;
  };
  const Case cases[] = {
      {123.47, 1, 5, "123.5"},  {1234, 0, 10, "1230"},   {2.0, 2, 1, "2.00"},
      {2e10, 1, 1, "+++++++"},  {-2e10, 0, 1, "-------"}, {1e10, 0, 1, "10000000000"},
      {-3.25, 1, 1, "-3.3"},    {0, 0, 1, "0"},          {1250.3, 1, 5, "1250.5"},
      {7.0, 0, -56, "7"},       {0.5, 1, 0, "0.5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatSettingValue(c.value, c.decimals, c.countBy), c.shown)
        << c.value << " " << int{c.decimals} << " " << int{c.countBy};
  }
}

TEST(SettingValuesTest, ReadSettingText) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {{"12.5kg", 12.5}, {"1,5", 1},  {"+3", 0},      {"kg", 0},    {"", 0},
                        {" \t-2.5", -2.5}, {"1e3", 1000}, {"2.5E-1x", 0.25}, {"105", 105}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReadSettingText(String::Copy(c.text)), c.value) << c.text;
}

TEST(SettingValuesTest, WeightUnitsSnapAndStepOverTheMissingCodes) {
  struct Case {
    double typed;
    float written;
  };
  const Case snaps[] = {{105, 102}, {103, 102}, {109, 102}, {110, 110}, {99, 100}, {0, 100},
                        {113, 112}, {111.9, 111}, {-5, 100}, {1e9, 112}};
  for (const Case& c : snaps) EXPECT_EQ(SnapWeightUnits(c.typed), c.written) << c.typed;
  EXPECT_EQ(StepWeightUnits(102, true), 110);
  EXPECT_EQ(StepWeightUnits(110, false), 102);
  EXPECT_EQ(StepWeightUnits(112, true), 112);
  EXPECT_EQ(StepWeightUnits(100, false), 100);
  EXPECT_EQ(StepWeightUnits(100, true), 101);
  EXPECT_EQ(StepWeightUnits(111, false), 110);
}

TEST(SettingValuesTest, ResponseTimeSnapsAndStepsToItsFourValues) {
  struct Case {
    double typed;
    float written;
  };
  const Case snaps[] = {{1, 2.0f}, {0.3, 0.5f}, {0, 0.1f}, {0.14, 0.1f}, {0.55, 2.0f}, {2.05, 5.0f}, {100, 5.0f}};
  for (const Case& c : snaps) EXPECT_EQ(SnapResponseTime(c.typed), c.written) << c.typed;
  // Stepped from the values as the unit stores them, single precision.
  const float steps[] = {0.1f, 0.5f, 2.0f, 5.0f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(StepResponseTime(steps[i], true), steps[i < 3 ? i + 1 : 3]) << steps[i];
    EXPECT_EQ(StepResponseTime(steps[i], false), steps[i > 0 ? i - 1 : 0]) << steps[i];
  }
  EXPECT_EQ(StepResponseTime(0.05, true), 0.1f);
  EXPECT_EQ(StepResponseTime(7, false), 5.0f);
}

}  // namespace
