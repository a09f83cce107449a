#include "runtime/console_streams.h"

#include <atomic>
#include <mutex>
#include <unistd.h>

#include "runtime/clock.h"
#include "runtime/console_buffer.h"
#include "runtime/log.h"
#include "runtime/process.h"
#include "runtime/program_state.h"
#include "runtime/trace.h"

namespace {

constexpr size_t BufferSize = 4096;
char outputBuffer[BufferSize];
size_t outputFill = 0;

std::atomic<void (*)(uint8_t)> consoleSink{nullptr};

void WriteBuffer() {
  static std::once_flag binary;
  std::call_once(binary, UseBinaryStandardStreams);
  size_t done = 0;
  while (done < outputFill) {
    ssize_t written = write(1, outputBuffer + done, outputFill - done);
    if (written <= 0) break;  // a closed standard output drops the text
    done += static_cast<size_t>(written);
  }
  outputFill = 0;
}

void DefaultConsolePut(uint8_t c) {
  std::lock_guard guard(ConsoleLock);
  outputBuffer[outputFill++] = static_cast<char>(c);
  if (c == '\n' || outputFill == BufferSize) WriteBuffer();
}

// Standard output and the pipes defer line breaks, so that "\r\n", "\n\r", "\r" and
// "\n" each make one break, written when the next line's text starts.
struct DeferredBreaks {
  bool crPending = false;
  bool lfPending = false;

  // True when `c` is text to write now; a break that has become due is emitted first.
  template <class EmitBreak>
  bool Take(uint8_t c, EmitBreak emitBreak) {
    if (c == '\r' || c == '\n') {
      bool& pending = c == '\r' ? crPending : lfPending;
      if (pending) Emit(emitBreak);
      pending = true;
      return false;
    }
    if (crPending || lfPending) Emit(emitBreak);
    return true;
  }

  template <class EmitBreak>
  void Emit(EmitBreak emitBreak) {
    crPending = lfPending = false;
    emitBreak();
  }
};

DeferredBreaks stdoutBreaks;

// Standard error's line has text and no break yet: a trace line ("ToolFormFinalise")
// that standard output's next text must not run on from.
bool stderrLineOpen = false;

void EmitLineBreak() {
  stderrLineOpen = false;
  for (uint8_t c : {uint8_t{'\r'}, uint8_t{'\n'}}) {
    ConsolePutChar(c);
    if (StdoutHook != nullptr) StdoutHook(static_cast<char>(c));
  }
}

void StdoutSink(Stream*, uint8_t c) {
  auto guard = LockConsoleForWriting();
  if (!stdoutBreaks.Take(c, EmitLineBreak)) return;
  if (stderrLineOpen) EmitLineBreak();
  ConsolePutChar(c);
  if (StdoutHook != nullptr) StdoutHook(static_cast<char>(c));
}

bool stderrLineStart = false;
bool stderrLastWasCr = false;

// "\r\n", then the accumulated clock as seconds with three decimals ("07.123: ").
void WriteStderrStamp() {
  uint32_t milliseconds = (AccumulatedClock() % 100'000'000) / 1000;
  char stamp[16];
  int seconds = static_cast<int>(milliseconds / 1000);
  int length = 0;
  stamp[length++] = '\r';
  stamp[length++] = '\n';
  if (seconds < 10) stamp[length++] = '0';
  char digits[8];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + seconds % 10);
    seconds /= 10;
  } while (seconds != 0);
  while (count > 0) stamp[length++] = digits[--count];
  stamp[length++] = '.';
  stamp[length++] = static_cast<char>('0' + milliseconds / 100 % 10);
  stamp[length++] = static_cast<char>('0' + milliseconds / 10 % 10);
  stamp[length++] = static_cast<char>('0' + milliseconds % 10);
  stamp[length++] = ':';
  stamp[length++] = ' ';
  for (int i = 0; i < length; ++i) {
    ConsolePutChar(static_cast<uint8_t>(stamp[i]));
    LogPut(static_cast<uint8_t>(stamp[i]));
  }
}

void StderrSink(Stream*, uint8_t c) {
  auto guard = LockConsoleForWriting();
  if (c == '\n') return;
  if (c == '\r') {
    if (stderrLastWasCr) WriteStderrStamp();
    DebugOutputPut(c);
    stderrLineStart = true;
    stderrLineOpen = false;
    stderrLastWasCr = true;
    return;
  }
  stderrLastWasCr = false;
  if (stderrLineStart) WriteStderrStamp();
  stderrLineStart = false;
  stderrLineOpen = true;
  ConsolePutChar(c);
  LogPut(c);
  DebugOutputPut(c);
}

}  // namespace

Stream StandardOutput{StdoutSink};
Stream StandardError{StderrSink};

void ConsolePutChar(uint8_t c) {
  auto* sink = consoleSink.load();
  if (sink != nullptr) sink(c);
  else DefaultConsolePut(c);
}

void PipeCharFilter(uint8_t c) {
  // Each pipe has its own reader thread and keeps its own line state, so the breaks of
  // one pipe's lines are not taken for the other's.
  thread_local DeferredBreaks breaks;
  if (breaks.Take(c, [] {
        ConsolePutChar('\r');
        ConsolePutChar('\n');
      })) {
    ConsolePutChar(c);
  }
}

void InstallConsoleSink(void (*sink)(uint8_t c)) {
  FlushStandardStreams();
  consoleSink.store(sink);
}

void FlushStandardStreams() {
  std::lock_guard guard(ConsoleLock);
  WriteBuffer();
}

void EndStandardOutput() {
  std::lock_guard guard(ConsoleLock);
  if (stdoutBreaks.crPending || stdoutBreaks.lfPending) stdoutBreaks.Emit(EmitLineBreak);
  WriteBuffer();
}

void EndConsoleLine() {
  std::lock_guard guard(ConsoleLock);
  if (stderrLineStart || stdoutBreaks.crPending || stdoutBreaks.lfPending) {
    ConsolePutChar('\r');
    ConsolePutChar('\n');
  }
  stdoutBreaks = DeferredBreaks{};
  stderrLineStart = stderrLastWasCr = stderrLineOpen = false;
  WriteBuffer();
}

void ResetStandardStreams() {
  std::lock_guard guard(ConsoleLock);
  stdoutBreaks = DeferredBreaks{};
  stderrLineStart = stderrLastWasCr = stderrLineOpen = false;
}
