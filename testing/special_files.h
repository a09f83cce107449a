// For tests: the special files a write must leave alone. Linux has FIFOs a test can
// make; Windows has none, and the tests that need one skip there.
#pragma once

#include <string>

// False where the system has no FIFOs (or the FIFO could not be made).
bool MakeFifo(const std::string& path);
