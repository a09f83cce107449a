#include "ui/toolkit/console/console_thread.h"

#include <atomic>
#include <fcntl.h>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "runtime/clock.h"
#include "runtime/console_buffer.h"
#include "runtime/console_pipes.h"
#include "runtime/console_streams.h"
#include "runtime/message_box.h"
#include "runtime/program_state.h"
#include "runtime/trace.h"
#include "ui/toolkit/console/console_window.h"
#include "ui/toolkit/core/message_pump.h"

namespace {

constexpr uint32_t ConsoleLoopMs = 10;
constexpr size_t EchoBufferSize = 4096;

// Never destroyed: a program ended by exit() must not meet a joinable thread's destructor.
std::thread& consoleThread = *new std::thread;
std::atomic<bool> stopConsole{false};

// The standard output the process started with, kept apart from descriptor 1, which
// may be redirected later; -1 when nothing is echoed.
int echoDescriptor = -1;
bool pipesStarted = false;
char echoBuffer[EchoBufferSize];
bool echoChosen = false;
bool echoLineFeeds = false;
bool carriageReturnHeld = false;
size_t echoFill = 0;
// The status line: its text and whether the terminal shows it now. The echo's lines
// end only when the next one starts, so the status line mostly stands on a line of its
// own below the echo's last text, and the line break that text then wants is the one
// the status line made. `echoColumn` is where the echo's text ends, to go back to.
std::string echoStatus;
bool statusDrawn = false;
bool statusBelow = false;
bool echoAtLineStart = true;
int echoColumn = 0;
constexpr std::string_view EraseLine = "\r\x1b[K";

// Under ConsoleLock.
void FlushEcho() {
  size_t done = 0;
  while (done < echoFill) {
    ssize_t written = write(echoDescriptor, echoBuffer + done, echoFill - done);
    if (written <= 0) break;  // a closed output drops the text
    done += static_cast<size_t>(written);
  }
  echoFill = 0;
}

void Put(std::string_view text) {
  for (char c : text) {
    echoBuffer[echoFill++] = c;
    if (echoFill == EchoBufferSize) FlushEcho();
  }
}

// Under ConsoleLock: the status line away, and the cursor back where the echo's text ends.
void EraseStatus() {
  if (!statusDrawn) return;
  Put(EraseLine);
  statusDrawn = false;
  if (!statusBelow) return;
  statusBelow = false;
  Put("\x1b[A");
  if (echoColumn > 0) Put("\x1b[" + std::to_string(echoColumn) + "C");
}

// Under ConsoleLock.
void DrawStatus() {
  if (echoStatus.empty() || statusDrawn) return;
  if (!echoAtLineStart) {
    Put("\n");
    statusBelow = true;
  }
  Put("\r");
  Put(echoStatus);
  Put("\x1b[K");
  statusDrawn = true;
}

void Echo(char c) {
  if (statusDrawn && statusBelow && c == '\n') {
    Put(EraseLine);
    statusDrawn = statusBelow = false;
  } else {
    EraseStatus();
    echoBuffer[echoFill++] = c;
  }
  echoAtLineStart = c == '\n';
  if (c == '\n' || c == '\r') {
    echoColumn = 0;
  } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
    ++echoColumn;  // a character's first byte
  }
  if (c == '\n' || echoFill == EchoBufferSize) FlushEcho();
}

void ConsoleSink(uint8_t c) {
  ConsoleWrite(c);
  if (echoDescriptor < 0) return;
  std::lock_guard guard(ConsoleLock);
  // A shell's tools split lines at LF: a CR before it is dropped, one alone (a line
  // written over) is kept.
  if (echoLineFeeds) {
    bool held = carriageReturnHeld;
    carriageReturnHeld = c == '\r';
    if (carriageReturnHeld) return;
    if (held && c != '\n') Echo('\r');
  }
  Echo(static_cast<char>(c));
}

void Fail(const String& text) {
  ShowMessage(text, "Win32Pell", MessageOk);
  ExitCode = 1;
  ExitRequested = true;
}

void ConsoleThread(std::string title) {
  Trace("TTY Started");
  WindowHandle window = CreateConsoleWindow(title);
  if (window == 0) {
    Fail("Call to CreateWindowEx failed!");
    Trace("TTY Stopped");
    return;
  }
  ConsoleReady = true;
  while (!ExitRequested && !stopConsole) {
    ConsoleWindowStep();
    // A line shows on the echo as soon as in the window, not when the next one starts;
    // the status line comes back below it.
    if (echoDescriptor >= 0) {
      std::lock_guard guard(ConsoleLock);
      DrawStatus();
      FlushEcho();
    }
    SleepMilliseconds(ConsoleLoopMs);
  }
  DestroyWindow(window);
  Trace("TTY Stopped");
}

}  // namespace

bool StartConsole(const std::string& title) {
  StartWindowSystem();
  if (WindowSystemIsHeadless() && !echoChosen) echoDescriptor = dup(1);
  stopConsole = false;
  try {
    consoleThread = std::thread(ConsoleThread, title);
  } catch (const std::system_error&) {
    Fail("Create TTY thread failed!");
    return false;
  }
  while (!ExitRequested && !ConsoleReady) {
    if (!PumpMessages()) SleepMilliseconds(1);
  }
  if (ExitRequested) {
    consoleThread.join();
    return false;
  }
  InstallConsoleSink(ConsoleSink);
  if (!StartConsolePipes()) {
    ExitCode = 1;
    return false;
  }
  pipesStarted = true;
  return true;
}

void EchoConsoleTo(int descriptor) {
  std::lock_guard guard(ConsoleLock);
  if (echoDescriptor >= 0) close(echoDescriptor);
  echoDescriptor = descriptor >= 0 ? dup(descriptor) : -1;
  echoChosen = true;
  echoLineFeeds = true;
}

void FlushConsoleEcho() {
  std::lock_guard guard(ConsoleLock);
  if (echoDescriptor >= 0) FlushEcho();
}

void ShowEchoStatus(std::string_view text) {
  std::lock_guard guard(ConsoleLock);
  if (echoDescriptor < 0) return;
  echoStatus = text;
  if (statusDrawn && !echoStatus.empty()) {
    Put("\r");
    Put(echoStatus);
    Put("\x1b[K");
  } else {
    EraseStatus();
    DrawStatus();
  }
  FlushEcho();
}

void EndConsolePipes() {
  if (pipesStarted) {
    pipesStarted = false;
    // /dev/null in place of the pipes' write ends: later writers lose their text
    // instead of their process, and the readers see the end of their pipes.
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
      close(null);
      WaitForConsolePipes();
    }
  }
}

void EndConsole() {
  EndConsolePipes();
  stopConsole = true;
  // Ctrl+Break in the console ends the process from the console thread itself; the
  // main thread may then still be using its windows.
  bool onConsoleThread = consoleThread.get_id() == std::this_thread::get_id();
  if (consoleThread.joinable() && !onConsoleThread) consoleThread.join();
  {
    std::lock_guard guard(ConsoleLock);
    // The shell's prompt must not follow a status line.
    echoStatus.clear();
    if (echoDescriptor >= 0) {
      EraseStatus();
      FlushEcho();
    }
  }
  // The backend's thread must not go on handling the display while the process's
  // static objects are torn down behind it.
  if (!onConsoleThread) StopWindowSystem();
}

void KeepConsoleAlive() {
  if (WindowSystemIsHeadless()) {
    stopConsole = true;
  } else if (!ExitRequested) {
    ShowConsole(SW_SHOWNORMAL);
    while (!ExitRequested) {
      if (!PumpMessages()) SleepMilliseconds(1);
    }
  }
  if (consoleThread.joinable()) consoleThread.join();
  std::lock_guard guard(ConsoleLock);
  if (echoDescriptor >= 0) FlushEcho();
}
