// What the fuzz targets share: the run-time started once, the console discarded, a
// scratch folder for the files the readers take, and a way through the fatal-error
// exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <source_location>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/console_streams.h"
#include "runtime/message_box.h"
#include "runtime/program_state.h"
#include "runtime/string_heap.h"

// What a target checks beyond a crash. A failed check names itself before the abort:
// the checks are inlined, so the stack would not say which one it was.
inline void FuzzCheck(bool condition, std::source_location where = std::source_location::current()) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s:%u\n", where.file_name(), static_cast<unsigned>(where.line()));
  std::abort();
}

// A stream that only counts, so that generated text costs no memory.
struct CountingStream : Stream {
  CountingStream() : Stream{[](Stream* stream, uint8_t) { ++static_cast<CountingStream*>(stream)->count; }} {}
  size_t count = 0;
};

inline const std::string& FuzzFolder() {
  static const std::string folder = [] {
    CreateStringHeap();
    InstallConsoleSink([](uint8_t) {});
    std::string name = "/tmp/quarnet-fuzz-" + std::to_string(getpid());
    mkdir(name.c_str(), 0700);
    return name;
  }();
  return folder;
}

inline std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = FuzzFolder() + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

// FatalError ends the program, as it should for the operator; for a fuzz target that
// would end the run and hide the input's other effects. The message box it shows just
// before the exit is answered by throwing this instead, so that the target can check
// that the message is one the input may rightly cause, and go on.
struct FatalErrorRaised {
  std::string message;
};

// From now on a fatal error throws FatalErrorRaised; other message boxes take their
// first button.
inline void ThrowOnFatalError() {
  InstallMessageResponder([](const String& text, const String&, int style) -> int {
    if ((style & 0xF0) == MessageIconError) throw FatalErrorRaised{std::string(text.View())};
    return ButtonOk;
  });
}

// What a caught fatal error leaves behind that the next input must not inherit.
inline void ClearFatalError() { ExitRequested = false; }
