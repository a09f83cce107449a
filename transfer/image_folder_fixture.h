// A test fixture: the image folder is the placeholder set the build wrote, the
// console's text is captured, and the debug lines reach it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "testing/console_capture.h"
#include "testing/saved_variable.h"

class PlaceholderImages : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVariable("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER);
    DebugOn = true;
  }
  void TearDown() override { DebugOn = false; }
  static bool Said(std::string_view text) { return ConsoleCapture::Said(text); }

  ConsoleCapture console;
  SavedVariable savedFolder{"VELANTORIMAGEDIR"};
};

// In a death test's child: the console's text goes to standard error, where the
// test reads it.
inline void ConsoleToStandardError() {
  InstallConsoleSink(nullptr);
  dup2(2, 1);
}

// The statement ends the program through FatalError with `message` (a regular expression).
#define EXPECT_STOPS(statement, message)                                          \
  EXPECT_EXIT((ConsoleToStandardError(), statement), ::testing::ExitedWithCode(1), \
              std::string("Fatal Error: ") + (message))
