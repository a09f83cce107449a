// A test fixture: the image folder is the placeholder set the build wrote, the
// console's text is captured, and the debug lines reach it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "testing/saved_variable.h"

class PlaceholderImages : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER, 1);
    console.clear();
    ResetStandardStreams();
    InstallConsoleSink([](uint8_t c) { console += static_cast<char>(c); });
    DebugOn = true;
  }
  void TearDown() override {
    InstallConsoleSink(nullptr);
    DebugOn = false;
  }
  bool Said(const std::string& text) const {
    EndStandardOutput();
    return console.find(text) != std::string::npos;
  }

  static inline std::string console;
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
