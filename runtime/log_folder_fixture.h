// A test fixture for the log: a folder of its own, virtual time, the console's text
// captured.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/virtual_clock.h"
#include "testing/console_capture.h"
#include "testing/temporary_folder.h"

inline LocalDateTime Date(int year, int month, int day) {
  return LocalDateTime{static_cast<int8_t>(year - 2000), static_cast<int8_t>(month),
                       static_cast<int8_t>(day), 12, 0, 0};
}

class LogFolder : public ::testing::Test {
 protected:
  void SetUp() override { InstallClock(&clock); }
  void TearDown() override {
    CloseLog();
    InstallClock(nullptr);
  }
  void Touch(const std::string& name) { folder.Write(name, "x"); }
  bool Exists(const std::string& name) { return std::filesystem::exists(folder.Path(name)); }

  TemporaryFolder folder{"log"};
  VirtualClock clock;
  ConsoleCapture console;
};
