#include "runtime/console_pipes.h"

#include <cstdint>
#include <system_error>
#include <thread>

#include "runtime/console_streams.h"
#include "runtime/files.h"
#include "runtime/message_box.h"
#include "runtime/process.h"
#include "runtime/trace.h"

namespace {

constexpr size_t ReadSize = 255;

// Never destroyed: a program ended by exit() must not meet a joinable thread's destructor.
std::thread& outputReader = *new std::thread;
std::thread& errorReader = *new std::thread;

void ReadPipe(int readEnd, const char* name) {
  Trace("%s Started", name);
  uint8_t buffer[ReadSize];
  for (;;) {
    int length = ReadBytes(readEnd, buffer, sizeof buffer);
    if (length == 0) {
      Trace("%s EOF", name);
      break;
    }
    if (length < 0) {
      Trace("%s read error", name);
      CloseDescriptor(readEnd);
      return;
    }
    for (int i = 0; i < length; ++i) PipeCharFilter(buffer[i]);
  }
  CloseDescriptor(readEnd);
  Trace("%s Stopped", name);
}

bool Fail(const String& text) {
  ShowMessage(text, "Win32Pell", MessageOk);
  return false;
}

bool StartPipe(int descriptor, std::thread& reader, const char* name) {
  int ends[2];
  if (!MakePipe(ends)) return Fail("Create pipe failed!");
  if (!RedirectDescriptor(ends[1], descriptor)) {
    CloseDescriptor(ends[0]);
    CloseDescriptor(ends[1]);
    return Fail("Create pipe failed!");
  }
  CloseDescriptor(ends[1]);
  try {
    reader = std::thread(ReadPipe, ends[0], name);
  } catch (const std::system_error&) {
    CloseDescriptor(ends[0]);
    return Fail(descriptor == 1 ? String("Create StdOut thread failed!") : String("Create StdErr thread failed!"));
  }
  return true;
}

}  // namespace

bool StartConsolePipes() {
  return StartPipe(1, outputReader, "StdOut") && StartPipe(2, errorReader, "StdErr");
}

void WaitForConsolePipes() {
  if (outputReader.joinable()) outputReader.join();
  if (errorReader.joinable()) errorReader.join();
}
