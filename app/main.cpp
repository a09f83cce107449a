// The program entry: the Linux services put behind the seams, one command-line text
// split by the program's own rules, the console log window around the main program,
// and the exit code.
#include <climits>
#include <string>
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

// COM ports are ttys and windows go to the display, unless there is none. Before the
// console starts: it opens the first window.
void InstallLinuxServices() {
  InstallSerialDeviceOpener(OpenTtyDevice);
  InstallDisplayBackend(StartFltkBackend);
}

}  // namespace

int main(int argc, char** argv) {
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
