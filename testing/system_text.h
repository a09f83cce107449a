// For tests: a simulated system from the text quarnet-sim reads from its --system
// file (sim/system_file.h). A text it refuses fails the test and gives no units.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "sim/system_file.h"

inline SystemDescription SystemFromText(std::string_view text) {
  SystemDescription system;
  std::string error;
  if (!ReadSystemText(text, system, error)) {
    ADD_FAILURE() << "the system text is refused: " << error;
    return {};
  }
  return system;
}
