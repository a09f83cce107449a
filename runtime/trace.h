// The developer trace: start-up and shut-down steps, window messages, thread starts.
// Each line carries the accumulated clock and the thread's identifier. On Linux the
// debugger output is the file named by QUARNET_TRACE; without it traces are dropped.
#pragma once

#include <cstdint>

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The standard-error stream's copy of its text for the trace: '\r' ends a line,
// control characters are dropped, a line keeps its first 120 characters.
void DebugOutputPut(uint8_t c);
