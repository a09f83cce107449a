// The program entry: the system's services put behind the seams, one command-line text
// split by the program's own rules, the console log window around the main program,
// and the exit code.
#include <climits>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_answers.h"
#include "app/command_mode.h"
#include "app/command_request.h"
#include "app/main_program.h"
#include "app/port_list.h"
#include "link/serial_device.h"
#include "platform/serial_port.h"
#include "runtime/clock.h"
#include "runtime/command_line.h"
#include "runtime/process.h"
#include "runtime/program_state.h"
#include "runtime/trace.h"
#include "ui/toolkit/backends/display_backend.h"
#include "ui/toolkit/console/console_thread.h"

namespace {

// A mistake in the command line, as sysexits.h numbers it: a script can tell it from
// an operation that failed.
constexpr int UsageExitCode = 64;

constexpr const char* UsageText =
    "Usage: quarnet [-d | -dd] [job file] [[COM]<port>]\n"
    "       quarnet [-d | -dd] [--job FILE] [-p PORT]\n"
    "       quarnet OPERATION [-d | -dd] [--job FILE | job file] [-p PORT | [COM]<port>]\n"
    "       quarnet --help | -h | --version | -v\n"
    "\n"
    "  -d          debug: every operation step by step and the link trace on the console\n"
    "  -dd         detailed debug: the bytes on the link as well\n"
    "  -p PORT, --port PORT, --port=PORT\n"
    "              the port to use: COM3 or 3 (COM1 to COM255), or a device path such as\n"
    "              /dev/ttyUSB0 or /dev/serial/by-id/...; a device that is a COM port's\n"
    "              (a link com<n> of the port folders, or /dev/ttyUSB0 for COM33) is that\n"
    "              COM port. Without a port the unit is searched for\n"
    "  --job FILE, --job=FILE\n"
    "              the job file: an INI file into which the outcome is written (key\n"
    "              Message): a fatal error's message, or an operation's final message.\n"
    "              A device, a FIFO, a folder or a file that is no INI file is refused,\n"
    "              before anything starts, and left as it is\n"
    "  job file    the same, named by position: an item that is no option and no port\n"
    "  COM3, 3     the port, named by position; so is a path to a device (/dev/...).\n"
    "              An item that looks like a COM port but names none (COMX, COM0) is refused\n"
    "\n"
    "  --ports     the serial ports the search walks, one a line: COM number, device,\n"
    "              /dev/serial/by-id name, driver, in use or free, the driver's latency\n"
    "\n"
    "Operations run without a window and end with the outcome:\n"
    "  --list                          the units of the system, one a line, tab-separated:\n"
    "                                  address, model, software, serial number, information\n"
    "  --update-all [--yes]            update every unit to the tool's software\n"
    "  --save-logs                     save every unit's logs into VelantorLogFiles\n"
    "  --save-setup FILE --unit N      save the setup of the unit at Modbus address N\n"
    "  --load-setup FILE --unit N [--type TYPE]\n"
    "                                  load a setup (TYPE as the Load Setup window offers\n"
    "                                  it, \"clone unit\" unless given)\n"
    "  --generate-modbus FILE --unit N     the unit's Modbus files\n"
    "  --generate-fieldbus FILE --unit N   the unit's fieldbus description files\n"
    "  --yes       answer OK to the questions; without it they are asked on the terminal,\n"
    "              and with no terminal the operation is refused\n"
    "  -q, --quiet only the results on standard output and the errors on standard error\n"
    "  --json      the results as one JSON document on standard output\n"
    "\n"
    "The files an operation writes are its results too, one path a line.\n"
    "\n"
    "Environment:\n"
    "  VELANTORPORTLIST, VELANTORPORT  ports searched first (COM3,COM5 or 3 5)\n"
    "  VELANTORDEVDIR                  a folder of links com<n> to ttys, before the built-in names\n"
    "  VELANTORLOCKDIR                 a folder for the lock file lockVelantorCommPort<n>\n"
    "                                  (a port named by its path: its path, '/' as '_')\n"
    "  QUARNET_UI=headless             no windows, even with a display\n"
    "  QUARNET_TRACE                   a file for the developer trace\n"
    "\n"
    "Exit codes: 0 normal end or the operation completed; 1 fatal error, or the operation\n"
    "failed, some units could not be updated or a unit listed does not answer; 2 the same\n"
    "with a job file named; 1 for a job file refused before the start; 64 for a mistake in\n"
    "the command line (an unknown option, a missing value, a port that is none).\n";

// The answers that need no window, log or port; false when the program is to run.
bool AnswerAtOnce(const CommandRequest& request, int& exitCode) {
  if (request.operation == Operation::Help) {
    std::fputs(UsageText, stdout);
  } else if (request.operation == Operation::Version) {
    std::printf("Quarnet %d.%02dr%02d\n", MajorVersion, MinorVersion, Release);
  } else if (request.operation == Operation::Ports) {
    std::fputs(PortListText(request.json).c_str(), stdout);
  } else if (OperationAsks(request.operation) && !request.yes && !IsTerminal(0)) {
    // Refused before any port is opened: nobody could answer the question.
    std::fprintf(stderr,
                 "quarnet: %s asks before it changes the units, and there is no terminal to ask on; "
                 "add --yes to answer OK\n",
                 OperationOption(request.operation));
    exitCode = 1;
    return true;
  } else {
    return false;
  }
  exitCode = 0;
  return true;
}

// COM ports are the system's serial ports and windows go to its display, unless there
// is none. Before the console starts: it opens the first window.
// An operation run from a shell opens no window.
void InstallSystemServices(bool windows) {
  InstallSerialDeviceOpener(OpenComPort);
  if (!windows) return;
  InstallDisplayBackend(StartDisplayBackend);
  // Started from the desktop, the program's log shows in its own console window.
  LeaveOwnConsole();
}

}  // namespace

int main(int argc, char** argv) {
  CommandRequest request;
  if (std::string error; !ReadCommandRequest(argc, argv, request, error)) {
    std::fprintf(stderr, "quarnet: %s\nTry 'quarnet --help'.\n", error.c_str());
    return UsageExitCode;
  }
  if (int exitCode; AnswerAtOnce(request, exitCode)) return exitCode;
  StartTraceClock();
  Trace("Main Program Started");
  bool window = request.operation == Operation::Window;
  InstallSystemServices(window);
  std::vector<const char*> items;
  for (const std::string& item : request.rest) items.push_back(item.c_str());
  // Item 0 is the program file itself, so that the log folder sits beside it however
  // the program was started.
  std::string programPath = ProgramFile(argv[0]);
  SplitCommandLine(BuildCommandLine(programPath.c_str(), static_cast<int>(items.size()), items.data()).c_str());
  // Before the console, the log or a port: a port that is none must not become a search
  // of every port, nor a device the job file that the run would put in its place.
  std::string itemError;
  if (ItemsFault fault = CheckPortAndJobFile(itemError); fault != ItemsFault::None) {
    std::fprintf(stderr, "quarnet: %s\nTry 'quarnet --help'.\n", itemError.c_str());
    return fault == ItemsFault::Mistake ? UsageExitCode : 1;
  }
  if (!window) {
    // Standard output carries the results alone; the console goes to standard error.
    SetCommandResults(DuplicateDescriptor(1));
    KeepStandardError(DuplicateDescriptor(2));
    EchoConsoleTo(request.quiet ? -1 : 2);
  }
  if (!StartConsole(ArgList[0])) return ExitCode;
  MainProgram(ArgCount, ArgList, request);
  Trace("Main Program Stopped");
  KeepConsoleAlive();
  Trace("Main Program exit=%d", ExitCode.load());
  return ExitCode;
}
