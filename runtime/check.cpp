#include "runtime/check.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "runtime/console_streams.h"

SourcePositionRecord SourcePosition;

namespace {

void WriteText(const char* text) {
  while (*text != '\0') StandardOutput.put(&StandardOutput, static_cast<uint8_t>(*text++));
}

}  // namespace

void WriteCheckReport(const char* message, const char* module, uint32_t line) {
  char number[16];
  std::snprintf(number, sizeof number, "%u", line);
  WriteText("\r\n");
  WriteText(message);
  WriteText(":");
  WriteText(module);
  WriteText(":");
  WriteText(number);
  WriteText("\r\n");
}

namespace {

[[noreturn]] void Report(const char* message, const char* module, uint32_t line) {
  WriteCheckReport(message, module, line);
  EndStandardOutput();
  std::exit(1);
}

}  // namespace

void AssertFailed(const char* module, uint32_t line) { Report("Assert Failed", module, line); }
void StopAt(const char* module, uint32_t line) { Report("Stop", module, line); }
void ArrayIndexError(const char* module, uint32_t line) {
  Report("Array index out of bounds", module, line);
}
void BadPointer(const char* module, uint32_t line) { Report("Bad pointer", module, line); }
void RunTimeError(const char* module, uint32_t line, const char* message) {
  Report(message, module, line);
}

int32_t CheckIndex(int32_t index, int32_t count, std::source_location where) {
  if (index < 0 || (count > 0 && index >= count)) ArrayIndexError(where.file_name(), where.line());
  return index;
}

void FatalSystemError(int errorNumber) {
  // The line before ends first, or the two messages run on as one.
  EndConsoleLine();
  const char* text = std::strerror(errorNumber);
  char line[300];
  int length = std::snprintf(line, sizeof line, "Fatal error: %s\n", text);
  // The process ends either way; a closed descriptor 2 leaves nothing to tell.
  [[maybe_unused]] ssize_t written = write(2, line, static_cast<size_t>(length));
  std::exit(1);
}
