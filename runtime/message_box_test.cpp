#include "runtime/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/console_streams.h"

namespace {

std::string console;

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    console.clear();
    ResetStandardStreams();
    InstallConsoleSink([](uint8_t c) { console += static_cast<char>(c); });
  }
  void TearDown() override {
    InstallConsoleSink(nullptr);
    InstallMessageResponder(nullptr);
  }
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
  EXPECT_NE(console.find("Quarnet: Update all units?"), std::string::npos) << console;
}

TEST_F(MessageBoxTest, AnInstalledResponderAnswersInstead) {
  static String seen;
  InstallMessageResponder([](const String& text, const String& caption, int style) {
    seen = Concatenate(caption, text);
    return style == MessageYesNo ? ButtonNo : ButtonCancel;
  });
  EXPECT_EQ(ShowMessage("Overwrite?", "Quarnet", MessageYesNo), ButtonNo);
  EXPECT_EQ(seen, "QuarnetOverwrite?");
  EXPECT_TRUE(console.empty());
  InstallMessageResponder(nullptr);
  EXPECT_EQ(ShowMessage("Done", "Information", MessageOk), ButtonOk);
  EXPECT_NE(console.find("Information: Done"), std::string::npos);
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
  EXPECT_NE(console.find("Fatal Error: Aborted"), std::string::npos) << console;
}

}  // namespace
