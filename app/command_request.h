// What a run of the program from a shell asks for: one of the main window's
// operations, run without a window, or the usual window when no operation is named.
//
//   quarnet --ports
//   quarnet --list [[COM]<port>]
//   quarnet --update-all [--yes] [[COM]<port>]
//   quarnet --save-logs [[COM]<port>]
//   quarnet --save-setup FILE --unit ADDRESS [[COM]<port>]
//   quarnet --load-setup FILE --unit ADDRESS [--type "clone unit"] [[COM]<port>]
//   quarnet --generate-modbus FILE --unit ADDRESS [[COM]<port>]
//   quarnet --generate-fieldbus FILE --unit ADDRESS [[COM]<port>]
//   quarnet --help | -h | --version | -v
//
// --quiet (-q) leaves only an operation's results and its errors; --json gives the
// results as one JSON document.
// The port (-p PORT, --port PORT) and the job file (--job FILE) are items of the
// classic option reader (runtime/command_line.h) wherever they stand.
#pragma once

#include <string>
#include <vector>

enum class Operation {
  Window,  // no long option: the main window, as always
  Help,
  Version,
  Ports,  // the serial ports of this PC: needs no port and no unit
  List,
  UpdateAll,
  SaveLogs,
  SaveSetup,
  LoadSetup,
  GenerateModbus,
  GenerateFieldbus,
};

struct CommandRequest {
  Operation operation = Operation::Window;
  std::string file;      // the PC file of the setup and generate operations
  int unit = 0;          // the Modbus address of the unit they work on
  int loadType = 0;      // the index of --type's text among the load types
  bool yes = false;      // confirmations are answered OK
  bool quiet = false;    // only results and errors, no account of the steps
  bool json = false;     // the results as one JSON document
  // Every item that is not a long option of an operation, item 0 first, for the
  // classic option reader; --port and --job come with their values.
  std::vector<std::string> rest;
};

// False with a one-line reason in `error` for an unknown long option, a missing or bad
// value, two operations at once, or an option that the operation does not take.
bool ReadCommandRequest(int argc, const char* const* argv, CommandRequest& request, std::string& error);

// The operation's name as the command line spells it ("--update-all").
const char* OperationOption(Operation operation);

// Whether the operation asks the operator before it changes units.
bool OperationAsks(Operation operation);
