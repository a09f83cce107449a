// The two standard streams meeting on one console: each line on a line of its own.
#include "runtime/console_streams.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/stream.h"
#include "testing/console_capture.h"

namespace {

TEST(ConsoleStreams, StandardOutputNeverRunsOnFromATraceLine) {
  ConsoleCapture capture;
  // Standard output's line is unfinished (a prompt, a row of dots) when the trace comes.
  PutText(StandardOutput, "Connecting");
  PutText(StandardError, "\r\nToolFormFinalise");
  PutText(StandardOutput, "Failed: Cannot find a Velantor unit\r\n");
  PutText(StandardOutput, "next\r\n");
  EndConsoleLine();
  const std::string& console = capture.Text();
  // The trace's stamp depends on the clock; what matters is where the lines break.
  size_t trace = console.find("ToolFormFinalise");
  ASSERT_NE(trace, std::string::npos) << console;
  EXPECT_EQ(console.substr(0, 12), "Connecting\r\n") << console;
  EXPECT_EQ(console.substr(trace), "ToolFormFinalise\r\nFailed: Cannot find a Velantor unit\r\nnext\r\n") << console;
}

}  // namespace
