// Run-time checks: a failed check writes one line naming the source module and
// line to the console and ends the program with exit code 1 (the exit hook runs).
#pragma once

#include <cstdint>
#include <source_location>

// The statement being executed, as far as the run-time knows it. The string heap
// reports its errors with it because its operations get no position of their own.
struct SourcePositionRecord {
  const char* module = "";
  uint32_t line = 0;
};
extern SourcePositionRecord SourcePosition;

inline void SetSourcePosition(const std::source_location& where) {
  SourcePosition.module = where.file_name();
  SourcePosition.line = where.line();
}

// Writes "\r\n<message>:<module>:<line>\r\n" to the console without ending the program.
void WriteCheckReport(const char* message, const char* module, uint32_t line);

[[noreturn]] void AssertFailed(const char* module, uint32_t line);
[[noreturn]] void StopAt(const char* module, uint32_t line);
[[noreturn]] void ArrayIndexError(const char* module, uint32_t line);
[[noreturn]] void BadPointer(const char* module, uint32_t line);
[[noreturn]] void RunTimeError(const char* module, uint32_t line, const char* message);

// A count of 0 or less means the index has no upper bound.
int32_t CheckIndex(int32_t index, int32_t count,
                   std::source_location where = std::source_location::current());

inline void Assert(bool condition, std::source_location where = std::source_location::current()) {
  if (!condition) AssertFailed(where.file_name(), where.line());
}

template <typename T>
T* CheckPointer(T* pointer, std::source_location where = std::source_location::current()) {
  if (pointer == nullptr) BadPointer(where.file_name(), where.line());
  return pointer;
}

// For file operations that cannot fail in normal use: "Fatal error: <system text>"
// on descriptor 2, exit code 1.
[[noreturn]] void FatalSystemError(int errorNumber);
