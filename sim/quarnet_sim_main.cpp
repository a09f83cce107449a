// quarnet-sim: a simulated weighing system on a pseudo-terminal.
//
//   quarnet-sim [--system FILE] --link PATH [--log FILE] [--fault FAULT]... [--dump FOLDER]
//               [--speedup N]
//
// Makes PATH a link to the pseudo-terminal, prints "ready PATH", serves until SIGINT
// or SIGTERM (or until a vanish fault closes the line) and removes PATH again.
// SIGUSR1 switches the unit on the port off and on, as the operator does when Quarnet
// asks for it; SIGUSR2 does the same with the boot button held. With --dump, the
// units' files are written to FOLDER on SIGHUP and when the simulator ends.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/pseudo_terminal.h"
#include "sim/demo_system.h"
#include "sim/file_dump.h"
#include "sim/pty_server.h"
#include "sim/simulator.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t powerCycleRequested = 0;  // the signal that asked for it
volatile std::sig_atomic_t dumpRequested = 0;

void RequestStop(int) { stopRequested = 1; }
void RequestPowerCycle(int signal) { powerCycleRequested = signal; }
void RequestDump(int) { dumpRequested = 1; }

constexpr const char* Usage =
    "usage: quarnet-sim [--system FILE] --link PATH [--log FILE] [--fault FAULT]... [--dump FOLDER]\n"
    "                   [--speedup N]\n"
    "  --system FILE  the units to simulate (default: the built-in demo system)\n"
    "  --link PATH    the link to the pseudo-terminal that Quarnet opens as its COM port\n"
    "  --log FILE     the traffic log: every request heard and reply sent, in hex\n"
    "  --fault FAULT  KIND[:ARGUMENT][@AFTER], after AFTER replies (default 0):\n"
    "                   stray[:BYTES]   stray bytes before one reply\n"
    "                   drop[:COUNT]    replies lost (0: all)\n"
    "                   corrupt[:COUNT] replies with a corrupted byte (0: all)\n"
    "                   mute[:SPEED]    the unit's software stops answering (at SPEED only)\n"
    "                   vanish          the pseudo-terminal closes\n"
    "                   flashfail:ADDRESS[:RESULT]\n"
    "                                   flash writes that hold ADDRESS fail with RESULT (1)\n"
    "                 and, counting file blocks instead of replies:\n"
    "                   refuse[:COUNT]  writes refused (0: all)\n"
    "                   flash[:RESULT]  the flash fails once (write result, read count 0xFF)\n"
    "                   swap[:COUNT]    read replies sent after the next one (0: every other)\n"
    "  --dump FOLDER  the units' files are written there on SIGHUP and at the end\n"
    "  --speedup N    the simulated time runs N (1 to 100) times as fast as real time: the\n"
    "                 line and every wait of the units (default 1)\n"
    "SIGUSR1 switches the unit on the port off and on; SIGUSR2 with its boot button held.\n";

struct Options {
  std::string systemFile;
  std::string link;
  std::string logFile;
  std::vector<FaultOrder> faults;
  std::string dumpFolder;
  uint32_t speedup = 1;
};

[[noreturn]] void Fail(const std::string& message, int exitCode) {
  std::fprintf(stderr, "quarnet-sim: %s\n", message.c_str());
  if (exitCode == 2) std::fputs(Usage, stderr);
  std::exit(exitCode);
}

Options ReadOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(Usage, stdout);
      std::exit(0);
    }
    std::string value;
    size_t equals = option.find('=');
    if (option.starts_with("--") && equals != std::string::npos) {
      value = option.substr(equals + 1);
      option.resize(equals);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      Fail(option + " needs a value", 2);
    }
    if (option == "--system") {
      options.systemFile = value;
    } else if (option == "--link") {
      options.link = value;
    } else if (option == "--log") {
      options.logFile = value;
    } else if (option == "--fault") {
      FaultOrder order;
      std::string error;
      if (!ParseFaultOrder(value, order, error)) Fail(error, 2);
      options.faults.push_back(order);
    } else if (option == "--dump") {
      options.dumpFolder = value;
    } else if (option == "--speedup") {
      char* end = nullptr;
      unsigned long speedup = std::strtoul(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || speedup < 1 || speedup > 100) Fail("--speedup takes 1 to 100", 2);
      options.speedup = static_cast<uint32_t>(speedup);
    } else {
      Fail("unknown option " + option, 2);
    }
  }
  if (options.link.empty()) Fail("--link PATH is required", 2);
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ReadOptions(argc, argv);
  SystemDescription system;
  std::string error;
  if (options.systemFile.empty()) system = DemoSystem();
  else if (!ReadSystemFile(options.systemFile, system, error)) Fail(error, 2);

  FILE* log = nullptr;
  if (!options.logFile.empty() && (log = std::fopen(options.logFile.c_str(), "w")) == nullptr) {
    Fail("cannot write " + options.logFile + ": " + std::strerror(errno), 1);
  }
  PseudoTerminal terminal;
  if (!terminal.Ready()) Fail("cannot create a pseudo-terminal: " + terminal.Error(), 1);
  if (!terminal.LinkAs(options.link))
    Fail("cannot make the link " + options.link + ": " + terminal.Error(), 1);

  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  action.sa_handler = RequestPowerCycle;
  sigaction(SIGUSR1, &action, nullptr);
  sigaction(SIGUSR2, &action, nullptr);
  action.sa_handler = RequestDump;
  sigaction(SIGHUP, &action, nullptr);

  VirtualClock clock;
  // The line outlives the simulator that serves it.
  PseudoTerminalLine line(terminal, clock);
  Simulator simulator(clock, system);
  for (const FaultOrder& order : options.faults) simulator.OrderFault(order);
  TrafficLog& traffic = simulator.Traffic();
  auto writeLine = [log](const std::string& line) {
    if (log == nullptr) return;
    std::fprintf(log, "%s\n", line.c_str());
    std::fflush(log);
  };
  for (const TrafficEntry& entry : traffic.Entries()) writeLine(TrafficLog::Line(entry));
  traffic.Clear();
  traffic.keepEntries = false;
  traffic.onLine = writeLine;

  simulator.Attach(line);
  std::printf("ready %s\n", options.link.c_str());
  std::fflush(stdout);
  auto dump = [&simulator, &options] {
    std::string problem;
    if (!options.dumpFolder.empty() && !DumpUnitFiles(simulator, options.dumpFolder, problem)) {
      std::fprintf(stderr, "quarnet-sim: %s\n", problem.c_str());
    }
  };
  ServeInRealTime(line, clock, stopRequested, options.speedup, [&simulator, &dump] {
    if (dumpRequested != 0) {
      dumpRequested = 0;
      dump();
    }
    if (powerCycleRequested == 0) return;
    simulator.PowerCycle(simulator.AttachedUnit().Address(), powerCycleRequested == SIGUSR2);
    powerCycleRequested = 0;
  });
  dump();

  if (line.Vanished()) std::fprintf(stderr, "quarnet-sim: the link vanished, as ordered\n");
  unlink(options.link.c_str());
  if (log != nullptr) std::fclose(log);
  return 0;
}
