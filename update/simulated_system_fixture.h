// A test fixture: a simulated weighing system on a virtual line, in virtual time, the
// image folder of the placeholder set, and the unit on the port connected as the main
// window leaves it.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/identification.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "transfer/remote_file.h"
#include "transfer/simulated_unit_fixture.h"

class SimulatedSystem : public SimulatedUnit {
 protected:
  void SetUp() override {
    SimulatedUnit::SetUp();
    RemoteFile = RemoteFileState{};
  }
  UnitInfo Connected() {
    UnitInfo unit{};
    EXPECT_TRUE(FindUnitOnPort(unit));
    EXPECT_TRUE(Connect(unit));
    ReadExtendedInfo(unit);
    ReadAdvancedInfo(unit);
    return unit;
  }
  // The bytes of a file on a unit's drive; empty when it is not there.
  std::vector<uint8_t> FileOf(uint8_t address, uint8_t drive, uint16_t file) {
    const SimFile* found = simulator->File(address, drive, file);
    return found != nullptr ? found->data : std::vector<uint8_t>{};
  }
  bool HeardStart(const std::string& start) const {
    std::vector<std::string> heard = Heard();
    return std::any_of(heard.begin(), heard.end(), [&](const std::string& line) { return line.starts_with(start); });
  }
  // In a death test's child: what it reports goes to standard error, where the test reads it.
  static void ReportToStandardError() {
    InstallConsoleSink([](uint8_t c) { fputc(c, stderr); });
  }
  // Where `text` first appears in what was said; npos when it was not.
  size_t Where(const std::string& text) const { return console.Text().find(text); }
};
