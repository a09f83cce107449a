#include "runtime/console_pipes.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <unistd.h>

#include "runtime/console_streams.h"
#include "runtime/program_state.h"

namespace {

std::string& Received() {
  static std::string text;
  return text;
}

TEST(ConsolePipes, TextWrittenToDescriptorsOneAndTwoReachesTheConsoleWithItsLineBreaks) {
  InstallConsoleSink([](uint8_t c) {
    std::lock_guard guard(ConsoleLock);
    Received() += static_cast<char>(c);
  });
  int savedOutput = dup(1), savedError = dup(2);
  ASSERT_TRUE(StartConsolePipes());
  ASSERT_EQ(write(1, "one\ntwo\n\rthree", 14), 14);
  ASSERT_EQ(write(2, "E", 1), 1);
  // Restoring the descriptors closes the pipes' write ends: the readers see their end.
  dup2(savedOutput, 1);
  dup2(savedError, 2);
  close(savedOutput);
  close(savedError);
  WaitForConsolePipes();
  std::string text = Received();
  // The two readers run side by side, so the one byte of the second may come anywhere.
  size_t error = text.find('E');
  ASSERT_NE(error, std::string::npos);
  text.erase(error, 1);
  EXPECT_EQ(text, "one\r\ntwo\r\nthree");
  InstallConsoleSink(nullptr);
}

}  // namespace
