// The standard-output and standard-error streams of the run-time. Both end in
// ConsolePutChar, the console's character input; the standard-error stream also
// stamps its lines into the log, and the standard-output stream feeds StdoutHook.
#pragma once

#include <cstdint>

#include "runtime/stream.h"

extern Stream StandardOutput;
extern Stream StandardError;

// Where console characters go. Until a console window takes them, they are written
// to the process's standard output, a line at a time.
void ConsolePutChar(uint8_t c);
void InstallConsoleSink(void (*sink)(uint8_t c));  // nullptr restores the default

// What the readers of the pipes over descriptors 1 and 2 hand on: line breaks deferred
// as on the standard output, written to ConsolePutChar only (not logged, no hook).
void PipeCharFilter(uint8_t c);

// Writes out what the default sink holds (before the process ends, before a wait).
void FlushStandardStreams();

// The process is ending: writes a pending line break and flushes.
void EndStandardOutput();
// A message about to be written straight to descriptor 2 (the run-time's fatal error)
// starts on a line of its own: a line that either stream has ended but not yet broken
// is broken now, once, and what the default sink holds is written out.
void EndConsoleLine();

// Line state of the two sinks back to "start of output" (for tests).
void ResetStandardStreams();
