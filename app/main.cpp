// The program entry: the Linux services put behind the seams, one command-line text
// split by the program's own rules, the console log window around the main program,
// and the exit code.
#include <climits>
#include <cstdio>
#include <string>
#include <string_view>
#include <unistd.h>

#include "app/main_program.h"
#include "link/serial_device.h"
#include "platform/tty_device.h"
#include "runtime/clock.h"
#include "runtime/command_line.h"
#include "runtime/program_state.h"
#include "runtime/trace.h"
#include "ui/toolkit/backends/fltk_backend.h"
#include "ui/toolkit/console/console_thread.h"

namespace {

// Item 0 is the program file itself, so that the log folder sits beside it however
// the program was started.
std::string ProgramPath(const char* argv0) {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return argv0;
  return std::string(path, static_cast<size_t>(length));
}

constexpr const char* UsageText =
    "Usage: quarnet [-d | -dd] [job file] [[COM]<port>]\n"
    "       quarnet --help | --version\n"
    "\n"
    "  -d          debug: every operation step by step and the link trace on the console\n"
    "  -dd         detailed debug: the bytes on the link as well\n"
    "  job file    an INI file into which a fatal error writes its message (key Message)\n"
    "  COM3, 3     the COM port to use; without one the unit is searched for\n"
    "\n"
    "Environment:\n"
    "  VELANTORPORTLIST, VELANTORPORT  ports searched first (COM3,COM5 or 3 5)\n"
    "  VELANTORDEVDIR                  a folder of links com<n> to ttys, before the built-in names\n"
    "  VELANTORLOCKDIR                 a folder for the lock file lockVelantorCommPort<n>\n"
    "  QUARNET_UI=headless             no windows, even with a display\n"
    "  QUARNET_TRACE                   a file for the developer trace\n"
    "\n"
    "Exit codes: 0 normal end, 1 fatal error, 2 fatal error with a job file named.\n";

// The long forms that command-line users expect of any program; they answer at once,
// before any window, log or port.
bool AnswerLongOption(int argc, char** argv, int& exitCode) {
  for (int i = 1; i < argc; ++i) {
    std::string_view item = argv[i];
    if (item == "--help") {
      std::fputs(UsageText, stdout);
    } else if (item == "--version") {
      std::printf("Quarnet %d.%02dr%02d\n", MajorVersion, MinorVersion, Release);
    } else {
      continue;
    }
    exitCode = 0;
    return true;
  }
  return false;
}

// COM ports are ttys and windows go to the display, unless there is none. Before the
// console starts: it opens the first window.
void InstallLinuxServices() {
  InstallSerialDeviceOpener(OpenTtyDevice);
  InstallDisplayBackend(StartFltkBackend);
}

}  // namespace

int main(int argc, char** argv) {
  if (int exitCode; AnswerLongOption(argc, argv, exitCode)) return exitCode;
  StartTraceClock();
  Trace("Main Program Started");
  InstallLinuxServices();
  std::string programPath = ProgramPath(argv[0]);
  SplitCommandLine(BuildCommandLine(programPath.c_str(), argc, argv).c_str());
  if (!StartConsole(ArgList[0])) return ExitCode;
  MainProgram(ArgCount, ArgList);
  Trace("Main Program Stopped");
  KeepConsoleAlive();
  Trace("Main Program exit=%d", ExitCode.load());
  return ExitCode;
}
