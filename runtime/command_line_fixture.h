// A test fixture for the command line: the options as they are before any is read.
#pragma once

#include <gtest/gtest.h>

#include "runtime/command_line.h"
#include "runtime/program_state.h"

class Options : public ::testing::Test {
 protected:
  void SetUp() override {
    DebugOn = DetailedDebugOn = false;
    PortNumber = 0;
    PortPath.Clear();
    BaudRate = 0;
    EvenParity = true;
    JobFile.Clear();
  }
  void Read(const char* text) {
    SplitCommandLine(text);
    ReadOptions();
  }
};
