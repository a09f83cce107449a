// For the fieldbus tests: a temporary folder, data tables written into it and read,
// and the console text (report and standard-error streams) captured.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fieldbus/data_table.h"
#include "runtime/window_hooks.h"
#include "testing/console_capture.h"
#include "testing/temporary_folder.h"

// Steps of the progress window the generator asked for.
inline int& ProgressTicks() {
  static int ticks = 0;
  return ticks;
}

// The header line every well-formed table starts with.
inline constexpr const char* TableHeader =
    "Data Address,Data Name,Scope,Size,Type,Min,Max,Default,Decimal Places,Units,Bit Names\r\n";

class TableFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgressTicks() = 0;
    ProgressTickHook = [] { ++ProgressTicks(); };
  }
  void TearDown() override {
    ProgressTickHook = nullptr;
    ReleaseDataTable();
  }

  std::string Path(const std::string& relative) const { return folder.Path(relative); }
  void Write(const std::string& relative, const std::string& content) const { folder.Write(relative, content); }
  std::string Read(const std::string& relative) const { return folder.Read(relative); }
  // Writes the table under the standard header and reads it.
  void Load(const std::string& rows) {
    Write("table.csv", std::string(TableHeader) + rows);
    ASSERT_TRUE(ReadDataTable(String::Copy(Path("table.csv"))));
  }

  TemporaryFolder folder{"fieldbus"};
  ConsoleCapture console;
};
