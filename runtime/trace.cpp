#include "runtime/trace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/process.h"

namespace {

constexpr int DebugLineSize = 120;
char debugLine[DebugLineSize + 3];
int debugFill = 0;

// The stand-in for the debugger: one write per line, so lines of threads never mix.
void SendToDebugger(const char* text, size_t length) {
  static int descriptor = [] {
    const char* name = std::getenv("QUARNET_TRACE");
    if (name == nullptr || *name == '\0') return -1;
    return OpenDescriptor(String::Copy(name), FileOpening::Append);
  }();
  if (descriptor < 0) return;
  WriteBytes(descriptor, text, static_cast<int>(length));
}

void FlushDebugLine() {
  if (debugFill == 0) return;
  debugLine[debugFill++] = '\r';
  debugLine[debugFill++] = '\n';
  SendToDebugger(debugLine, static_cast<size_t>(debugFill));
  debugFill = 0;
}

}  // namespace

void DebugOutputPut(uint8_t c) {
  if (c == '\r') {
    FlushDebugLine();
  } else if (c >= 0x20 && debugFill < DebugLineSize) {
    debugLine[debugFill++] = static_cast<char>(c);
  }
}

void Trace(const char* format, ...) {
  FlushDebugLine();
  char line[512];
  int head = std::snprintf(line, sizeof line, "%.6d TID=%d ",
                           static_cast<int>(AccumulatedClock() % 1'000'000),
                           ThreadId());
  va_list arguments;
  va_start(arguments, format);
  int body = std::vsnprintf(line + head, sizeof line - head - 2, format, arguments);
  va_end(arguments);
  // A longer line keeps what fits.
  int length = head + (body < 0 ? 0 : std::min(body, static_cast<int>(sizeof line) - head - 3));
  line[length++] = '\r';
  line[length++] = '\n';
  SendToDebugger(line, static_cast<size_t>(length));
}
