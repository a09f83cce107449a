#include "ui/toolkit/controls/progress_window.h"

#include <gtest/gtest.h>

#include "runtime/window_hooks.h"
#include "ui/toolkit/controls/toolkit_fixture.h"
#include "ui/toolkit/core/headless_backend.h"

namespace {

class ProgressWindow : public HeadlessToolkit {
 protected:
  void SetUp() override {
    HeadlessToolkit::SetUp();
    ProgressShown = ProgressTarget = 0;
    ProgressClosed = false;
    static const PelVTable ownerTable{.OnUserMessage = [](PelWindow*, uint32_t, WParam, LParam) -> intptr_t {
      ++ownerMessages;
      return 0;
    }};
    ownerMessages = 0;
    ASSERT_TRUE(CreatePelWindow(owner, &ownerTable, nullptr, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, "", 0, 0,
                                800, 600));
  }

  void TearDown() override {
    ProgressClosed = false;
    HeadlessToolkit::TearDown();
  }

  PelWindow owner;
  static inline int ownerMessages = 0;
};

TEST_F(ProgressWindow, TicksCreepTowardTheTargetAndStopThere) {
  struct Case {
    int8_t shown;
    int8_t target;
    int8_t after;
  };
  for (auto [shown, target, after] : {Case{20, 80, 21}, Case{79, 80, 80}, Case{80, 80, 80}, Case{99, 20, 20},
                                      Case{127, 127, 127}}) {
    ProgressShown = shown;
    ProgressTarget = target;
    ProgressTick();
    EXPECT_EQ(ProgressShown, after) << int{shown} << " toward " << int{target};
  }
}

TEST_F(ProgressWindow, AMilestoneMovesTheBarAtMostOneStepPastThePreviousOne) {
  struct Case {
    int8_t shown;
    int8_t target;
    int percent;
    int8_t after;
  };
  ProgressClosed = true;
  for (auto [shown, target, percent, after] :
       {Case{0, 0, 10, 1}, Case{5, 10, 20, 11}, Case{99, 99, 20, 20}, Case{80, 80, 81, 81}, Case{50, 90, 90, 90}}) {
    ProgressShown = shown;
    ProgressTarget = target;
    QuarnetProgress(percent);
    EXPECT_EQ(ProgressShown, after) << int{target} << " then " << percent;
    EXPECT_EQ(ProgressTarget, percent);
  }
  ProgressClosed = false;
}

TEST_F(ProgressWindow, OpensOverTheOwnerAndGivesItBackWhenClosed) {
  OpenQuarnetProgress(owner, "Saving setup");
  WindowHandle window = TheProgressForm.window.hwnd;
  EXPECT_EQ(GetWindowText(window), "Please Wait...");
  EXPECT_EQ(GetParent(window), owner.hwnd);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(PelIsEnabled(owner));
  EXPECT_EQ(PelGetText(TheProgressForm.message.window), "Saving setup");
  EXPECT_EQ(HeadlessMouseCursor(), MouseCursor::Wait);
  EXPECT_EQ(PelGetClientSize(TheProgressForm.window), (Size{400, 146})) << "300 x 110 points";

  QuarnetProgress(20);
  for (int i = 0; i < 5; ++i) ProgressTick();
  EXPECT_EQ(ProgressPosition(TheProgressForm.bar.window.hwnd), 6);
  QuarnetProgress(80);
  EXPECT_EQ(ProgressPosition(TheProgressForm.bar.window.hwnd), 21);

  CloseQuarnetProgress();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(PelIsEnabled(owner));
  EXPECT_EQ(GetFocus(), owner.hwnd);
  EXPECT_EQ(HeadlessMouseCursor(), MouseCursor::Arrow);
  for (const char* trace : {"OpenQuarnetProgress", "CreateProgressForm", "ProgressFormInitialise", "QuarnetProgress",
                            "CloseQuarnetProgress", "ProgressFormFinalise", "DestroyProgressForm"}) {
    EXPECT_TRUE(console.Said(trace)) << trace;
  }
}

// Each step keeps the user interface alive; after the operator pressed the close box
// (which leaves the window open) only the ticks still do.
TEST_F(ProgressWindow, StepsPumpMessagesUntilTheCloseBoxIsPressed) {
  OpenQuarnetProgress(owner, "Generating");
  PelPostMessage(owner, WM_USER, 0, 0);
  QuarnetProgress(10);
  EXPECT_EQ(ownerMessages, 1);

  OperatorClose(TheProgressForm.window.hwnd);
  clock.AdvanceTo(clock.Now() + 2000);
  QuarnetProgress(20);
  EXPECT_TRUE(ProgressClosed);
  EXPECT_TRUE(IsWindow(TheProgressForm.window.hwnd));

  PelPostMessage(owner, WM_USER, 0, 0);
  clock.AdvanceTo(clock.Now() + 2000);
  QuarnetProgress(30);
  EXPECT_EQ(ownerMessages, 1) << "no pumping once closed";
  clock.AdvanceTo(clock.Now() + 2000);
  ProgressTick();
  EXPECT_EQ(ownerMessages, 2);
  CloseQuarnetProgress();
}

}  // namespace
