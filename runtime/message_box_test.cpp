#include "runtime/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/console_capture.h"

namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  void TearDown() override { InstallMessageResponder(nullptr); }

  ConsoleCapture console;
};

TEST_F(MessageBoxTest, HeadlessBoxIsWrittenAndTakesTheFirstButton) {
  struct Case {
    int style;
    int button;
  };
  for (auto [style, button] : {Case{MessageOk | MessageIconError, ButtonOk},
                               Case{MessageOkCancel | MessageIconWarning, ButtonOk},
                               Case{MessageYesNoCancel | MessageIconQuestion, ButtonYes},
                               Case{MessageYesNo | MessageIconQuestion, ButtonYes}}) {
    EXPECT_EQ(ShowMessage("Update all units?", "Quarnet", style), button) << style;
  }
  EXPECT_TRUE(console.Said("Quarnet: Update all units?")) << console.Text();
}

TEST_F(MessageBoxTest, AnInstalledResponderAnswersInstead) {
  static String seen;
  InstallMessageResponder([](const String& text, const String& caption, int style) {
    seen = Concatenate(caption, text);
    return style == MessageYesNo ? ButtonNo : ButtonCancel;
  });
  EXPECT_EQ(ShowMessage("Overwrite?", "Quarnet", MessageYesNo), ButtonNo);
  EXPECT_EQ(seen, "QuarnetOverwrite?");
  EXPECT_TRUE(console.Text().empty());
  InstallMessageResponder(nullptr);
  EXPECT_EQ(ShowMessage("Done", "Information", MessageOk), ButtonOk);
  EXPECT_TRUE(console.Said("Information: Done"));
}

TEST_F(MessageBoxTest, AfterAStopSignalBoxesAreOnlyWritten) {
  static int asked = 0;
  InstallMessageResponder([](const String&, const String&, int) {
    ++asked;
    return ButtonNo;
  });
  AnswerMessagesUnseen(true);
  EXPECT_EQ(ShowMessage("Aborted", "Fatal Error", MessageOk | MessageIconError), ButtonOk);
  EXPECT_EQ(ShowMessage("Replace?", "Quarnet", MessageYesNo), ButtonYes);
  AnswerMessagesUnseen(false);
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(console.Said("Fatal Error: Aborted")) << console.Text();
}

}  // namespace
