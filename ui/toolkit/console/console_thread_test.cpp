#include "ui/toolkit/console/console_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <unistd.h>

#include "runtime/console_buffer.h"
#include "runtime/console_pipes.h"
#include "runtime/console_streams.h"
#include "runtime/process.h"
#include "runtime/program_state.h"
#include "ui/toolkit/console/console_window.h"

namespace {

TEST(ConsoleThread, TakesTheConsoleCharactersAndThePipesAndEchoesThemOnTheHeadlessBackend) {
  ExitRequested = false;
  StartHeadlessWindowSystem();
  ResetConsole();
  // The echo goes to the standard output the console found at its start: a pipe here.
  int echoEnds[2];
  ASSERT_TRUE(MakePipe(echoEnds));
  int savedOutput = dup(1), savedError = dup(2);
  dup2(echoEnds[1], 1);
  close(echoEnds[1]);
  bool started = StartConsole("Quarnet");
  // Descriptor 1 is now the console's own pipe.
  EXPECT_EQ(write(1, "piped", 5), 5);
  // Restoring the descriptors closes the console pipes' write ends: their readers end.
  dup2(savedOutput, 1);
  dup2(savedError, 2);
  close(savedOutput);
  close(savedError);
  ASSERT_TRUE(started);
  EXPECT_NE(ConsoleWindow(), 0u);
  WaitForConsolePipes();

  for (char c : std::string_view("\x1b[32mhello\r\n")) ConsolePutChar(static_cast<uint8_t>(c));
  KeepConsoleAlive();
  EXPECT_EQ(ConsoleWindow(), 0u) << "the console thread has ended";
  EXPECT_EQ(ConsoleRowText(0), "pipedhello");
  char echoed[64];
  ssize_t length = read(echoEnds[0], echoed, sizeof echoed);
  EXPECT_EQ(std::string(echoed, static_cast<size_t>(std::max<ssize_t>(length, 0))), "piped\x1b[32mhello\r\n");
  close(echoEnds[0]);

  InstallConsoleSink(nullptr);
  ConsoleHooks = {};
  StopWindowSystem();
  ExitRequested = false;
}

}  // namespace
