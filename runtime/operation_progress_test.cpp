// What the operator reads of a long operation's progress.
#include "runtime/operation_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(OperationProgress, TheTextSaysStepActivityCountShareAndTimeLeft) {
  struct Case {
    int step, steps;
    const char* activity;
    ProgressUnit unit;
    uint32_t done, total, elapsedMs, activityMs;
    const char* text;
  };
  constexpr ProgressUnit Percent = ProgressUnit::Percent;
  constexpr ProgressUnit Bytes = ProgressUnit::Bytes;
  const Case cases[] = {
      {0, 4, "", Percent, 0, 0, 0, 0, ""},
      {1, 4, "", Percent, 0, 0, 0, 0, "Unit 1 of 4, Velantor Unit 12 (KD6), all 0%"},
      {2, 4, "software update file", Percent, 450, 1000, 2000, 0,
       "Unit 2 of 4, Velantor Unit 12 (KD6): software update file 45%, all 36%"},
      {2, 4, "software update file", Percent, 500, 1000, 60'000, 0,
       "Unit 2 of 4, Velantor Unit 12 (KD6): software update file 50%, all 37%, about 2 min left"},
      {4, 4, "flash programmer file", Percent, 999, 1000, 600'000, 0,
       "Unit 4 of 4, Velantor Unit 12 (KD6): flash programmer file 99%, all 99%, about 2 s left"},
      {3, 4, "resource pack", Percent, 0, 0, 1'200'000, 0,
       "Unit 3 of 4, Velantor Unit 12 (KD6): resource pack, all 50%, about 20 min left"},
      // Bytes with the rate once the activity has run a second; a count past the total
      // (the last block rounded up) is the total.
      {2, 4, "software update file", Bytes, 120'560, 268'000, 3000, 999,
       "Unit 2 of 4, Velantor Unit 12 (KD6): software update file 44% (120.6 of 268.0 kB), all 36%"},
      {2, 4, "software update file", Bytes, 120'560, 268'000, 3000, 11'600,
       "Unit 2 of 4, Velantor Unit 12 (KD6): software update file 44% (120.6 of 268.0 kB, 10.4 kB/s), all 36%"},
      {2, 4, "software update file", Bytes, 270'000, 268'000, 3000, 10'000,
       "Unit 2 of 4, Velantor Unit 12 (KD6): software update file 100% (268.0 of 268.0 kB, 26.8 kB/s), all 50%"},
      {1, 2, "debug logs", ProgressUnit::Items, 2, 3, 1000, 1000,
       "Unit 1 of 2, Velantor Unit 12 (KD6): debug logs 66% (2 of 3), all 33%"},
      // One step: the subject alone, no share of the whole.
      {1, 1, "Saving setup", Percent, 90, 100, 2000, 2000, "Velantor Unit 12 (KD6): Saving setup 90%"},
      {1, 1, "Saving setup", Percent, 50, 100, 10'000, 2000, "Velantor Unit 12 (KD6): Saving setup 50%, about 10 s left"},
  };
  for (const Case& c : cases) {
    ProgressState state{};
    state.active = true;
    state.step = c.step;
    state.steps = c.steps;
    state.subject = "Velantor Unit 12 (KD6)";
    state.activity = String::Copy(c.activity);
    state.unit = c.unit;
    state.done = c.done;
    state.total = c.total;
    state.startedMs = 1000;
    state.nowMs = 1000 + c.elapsedMs;
    state.activityStartedMs = state.nowMs - c.activityMs;
    EXPECT_EQ(std::string(ProgressText(state).View()), c.text);
  }
}

std::vector<std::string> shownTexts;

// A new step or activity is always shown; a count only when its percentage changes.
TEST(OperationProgress, ShownAtEachActivityAndEachPercent) {
  shownTexts.clear();
  InstallProgressShow([](const ProgressState& state, bool newActivity) {
    shownTexts.push_back((newActivity ? "new " : "") + std::string(ProgressText(state).View()));
  });
  BeginOperationProgress(2);
  ProgressStep(1, "Velantor Unit 5 (KR5)");
  ProgressActivity("software update file");
  for (uint32_t done = 0; done <= 300; done += 1) ProgressCount(done, 300);
  EndOperationProgress();
  InstallProgressShow(nullptr);
  ASSERT_EQ(shownTexts.size(), 2u + 101u + 1u);
  EXPECT_EQ(shownTexts[0], "new Unit 1 of 2, Velantor Unit 5 (KR5), all 0%");
  EXPECT_EQ(shownTexts[1], "new Unit 1 of 2, Velantor Unit 5 (KR5): software update file, all 0%");
  EXPECT_EQ(shownTexts[102], "Unit 1 of 2, Velantor Unit 5 (KR5): software update file 100% (0.3 of 0.3 kB), all 50%");
  EXPECT_EQ(shownTexts.back(), "new ") << "the end empties the display";
}

}  // namespace
