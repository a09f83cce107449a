// What the operator reads of a long operation's progress.
#include "runtime/operation_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(OperationProgress, TheTextSaysStepActivityShareAndTimeLeft) {
  struct Case {
    int step;
    const char* activity;
    uint32_t done, total, elapsedMs;
    const char* text;
  };
  const Case cases[] = {
      {0, "", 0, 0, 0, ""},
      {1, "", 0, 0, 0, "Unit 1 of 4, Velantor Unit 12 (KD6), all 0%"},
      {2, "software update file", 450, 1000, 2000, "Unit 2 of 4, Velantor Unit 12 (KD6): software update file 45%, all 36%"},
      {2, "software update file", 500, 1000, 60'000,
       "Unit 2 of 4, Velantor Unit 12 (KD6): software update file 50%, all 37%, about 2 min left"},
      {4, "flash programmer file", 999, 1000, 600'000,
       "Unit 4 of 4, Velantor Unit 12 (KD6): flash programmer file 99%, all 99%, about 2 s left"},
      {3, "resource pack", 0, 0, 1'200'000, "Unit 3 of 4, Velantor Unit 12 (KD6): resource pack, all 50%, about 20 min left"},
  };
  for (const Case& c : cases) {
    ProgressState state{};
    state.active = true;
    state.step = c.step;
    state.steps = 4;
    state.subject = "Velantor Unit 12 (KD6)";
    state.activity = String::Copy(c.activity);
    state.done = c.done;
    state.total = c.total;
    state.startedMs = 1000;
    state.nowMs = 1000 + c.elapsedMs;
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
  EXPECT_EQ(shownTexts[102], "Unit 1 of 2, Velantor Unit 5 (KR5): software update file 100%, all 50%");
  EXPECT_EQ(shownTexts.back(), "new ") << "the end empties the display";
}

}  // namespace
