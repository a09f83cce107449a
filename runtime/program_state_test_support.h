// For tests: the option values and the stop flag back to what the program starts
// with, so that what one test set cannot reach the next.
#pragma once

#include "runtime/program_state.h"

inline void ResetProgramState() {
  ExitRequested = false;
  DebugOn = DetailedDebugOn = false;
  ReportLevel = 0;
  PortNumber = 0;
  PortPath.Clear();
  BaudRate = 19200;
  EvenParity = false;
}
