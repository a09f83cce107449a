#include "ui/tool/status_line.h"

#include <gtest/gtest.h>

#include "runtime/console_streams.h"
#include "ui/tool/tool_window_fixture.h"

namespace {

TEST(StatusLine, ShowsTheLineBeingWrittenOrTheLastWholeLine) {
  struct Case {
    const char* written;
    const char* shown;
  };
  const Case cases[] = {
      {"abc\r\n", "abc"},
      {"abc\r\ndef", "def"},
      {"abc\r\nde", "de"},
      {"abc\r\n\r\n", ""},
      {"abc\r\n\r\nx", "x"},
      {"abc", "abc"},
  };
  for (const Case& c : cases) {
    // A finished line first, so that every case starts a line of its own.
    for (char ch : std::string_view("-\r\n")) CollectStatusCharacter(ch);
    TheToolForm.StatusPending = false;
    for (const char* p = c.written; *p != '\0'; ++p) CollectStatusCharacter(*p);
    EXPECT_EQ(TheToolForm.StatusText, c.shown) << c.written;
    EXPECT_TRUE(TheToolForm.StatusPending);
  }
}

TEST_F(ToolWindow, StatusLineFollowsStandardOutputAtTheTimersPace) {
  OpenMainWindow();
  Pump(200);
  EXPECT_EQ(Text(Form().statusLine.window), "-- cannot find a Velantor unit");
  PutText(StandardOutput, "abc\r\n");
  Pump(150);
  EXPECT_EQ(Text(Form().statusLine.window), "abc");
  PutText(StandardOutput, "def");
  // Within the timer's period the line may still show the old text; after it, never.
  Pump(150);
  EXPECT_EQ(Text(Form().statusLine.window), "def");
}

}  // namespace
