#include "testing/console_capture.h"

#include <gtest/gtest.h>

#include "runtime/console_streams.h"
#include "runtime/stream.h"

namespace {

// The capture's own sink leaves with it: what follows goes to the process's standard
// output again, and the next capture starts with nothing.
TEST(ConsoleCapture, CollectsTheConsoleWhileItLives) {
  {
    ConsoleCapture capture;
    PutText(StandardOutput, "Connecting");
    PutText(StandardError, "\r\ntrace");
    PutText(StandardOutput, "done\r\n");
    EXPECT_TRUE(capture.Said("trace"));
    EXPECT_TRUE(capture.Said("\r\ndone\r\n")) << "the break the line waits for is written: " << capture.Text();
    capture.Clear();
    PutText(StandardOutput, "cleared\r\n");
    EXPECT_EQ(capture.Text(), "cleared\r\n");
  }
  ConsolePutChar('\n');
  EXPECT_EQ(ConsoleCapture::Text(), "cleared\r\n");
  ConsoleCapture next;
  EXPECT_EQ(next.Text(), "");
}

}  // namespace
