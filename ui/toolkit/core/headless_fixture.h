// The window system's tests run on the headless backend, in virtual time, with what the
// console would show collected for reading.
#pragma once

#include <gtest/gtest.h>

#include "runtime/clock.h"
#include "runtime/program_state.h"
#include "runtime/virtual_clock.h"
#include "testing/console_capture.h"
#include "ui/toolkit/core/message_pump.h"
#include "ui/toolkit/core/operator_actions.h"
#include "ui/toolkit/core/window_system.h"

class HeadlessWindowSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    ExitRequested = false;
    // Each test's time lies past every earlier test's, as one program's time would.
    static uint64_t start = 0;
    start += 1'000'000'000'000;
    clock.AdvanceTo(start);
    InstallClock(&clock);
    StartHeadlessWindowSystem();
  }

  void TearDown() override {
    StopWindowSystem();
    InstallClock(nullptr);
    ExitRequested = false;
  }

  ConsoleCapture console;
  VirtualClock clock;
};
