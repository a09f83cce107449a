#include "app/main_program.h"

#include <cstdio>
#include <cstdlib>

#include "app/command_mode.h"
#include "app/stop_signals.h"
#include "link/port_control.h"
#include "platform/port_names.h"
#include "runtime/clock.h"
#include "runtime/command_line.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/message_box.h"
#include "runtime/number_format.h"
#include "runtime/program_state.h"
#include "runtime/string_heap.h"
#include "ui/tool/main_window.h"
#include "ui/toolkit/console/console_thread.h"
#include "ui/toolkit/console/console_window.h"
#include "ui/toolkit/controls/window_toolkit.h"

namespace {

void ClosePortAndLog() {
  if (ClosePortHook != nullptr) ClosePortHook();
  CloseLog();
}

void WriteBanner() {
  PutText(StandardOutput, "Quarnet ");
  PutInt(StandardOutput, MajorVersion);
  PutChar(StandardOutput, '.');
  PutNumber(StandardOutput, MinorVersion, NumberZeroFill, 0, 2, 0, 0);
  PutChar(StandardOutput, 'r');
  PutNumber(StandardOutput, Release, NumberZeroFill, 0, 2, 0, 0);
  PutText(StandardOutput, "\r\n");
}

// Shows the console and waits for the operator to close it; without a console window
// on the screen there is nobody to wait for.
void WaitForConsoleClose(uint32_t pollMilliseconds) {
  FlushStandardStreams();
  if (!ConsoleReady || WindowSystemIsHeadless() || ExitRequested) return;
  ShowConsole(SW_SHOWNORMAL);
  while (!ExitRequested) SleepMilliseconds(pollMilliseconds);
}

// A device named by its path that is a COM port's device is that COM port: its
// messages and its lock file stay those cooperating tools and operators know.
void NumberThePathPort() {
  if (PortNumber != PathPortNumber) return;
  if (int port = PortForDevicePath(PortPath); port != 0) {
    PortNumber = static_cast<int16_t>(port);
    PortPath.Clear();
  }
}

void RequestExit() {
  AnswerMessagesUnseen(true);
  ExitRequested = true;
}

bool MainProgramEnded = false;

}  // namespace

void InitialiseModules() {
  StartTraceClock();
  CreateStringHeap();
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  std::atexit(ExitHook);
  ClosePortHook = ClosePort;
  InitialiseWindowToolkit();
}

void InstallSignalHandlers() { InstallStopSignals(RequestExit); }

void MainStopHandler() {
  PutText(StandardError, "\r\n-- stopped");
  WaitForConsoleClose(10);
  ClosePortAndLog();
}

void ExitHook() {
  Exiting = true;
  EndConsolePipes();
  // After a normal end the port and the log are closed already and nothing was aborted.
  if (!MainProgramEnded) {
    if (StopHandler != nullptr) {
      StopHandler();
    } else {
      PutText(StandardOutput, "\r\n-- aborted");
      WaitForConsoleClose(1);
    }
  }
  EndStandardOutput();
  EndConsole();
}

int MainProgram(int count, const char** list, const CommandRequest& request) {
  ArgCount = count;
  for (int i = 0; i < MaxArguments; ++i) ArgList[i] = i < count ? list[i] : nullptr;
  InitialiseModules();
  InstallSignalHandlers();
  WriteBanner();
  CommTraceHook = CommTraceWriter;
  ReadOptions();
  NumberThePathPort();
  ++ReportLevel;
  PrepareLog();
  StopHandler = MainStopHandler;
  if (request.operation == Operation::Window) {
    RunMainWindow();
  } else {
    RunCommand(request);
  }
  StopHandler = nullptr;
  --ReportLevel;
  ClosePortAndLog();
  PutText(StandardError, "\r\n");
  MainProgramEnded = true;
  return 0;
}
