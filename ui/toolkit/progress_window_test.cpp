#include "ui/toolkit/progress_window.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressTickTest, CreepsTowardTheTargetAndStopsThere) {
  struct Case {
    int8_t shown;
    int8_t target;
    int8_t after;
  };
  for (auto [shown, target, after] : {Case{20, 80, 21}, Case{79, 80, 80}, Case{80, 80, 80},
                                      Case{99, 20, 20}, Case{127, 127, 127}}) {
    ProgressShown = shown;
    ProgressTarget = target;
    ProgressTick();
    EXPECT_EQ(ProgressShown, after) << int{shown} << " toward " << int{target};
  }
}

}  // namespace
