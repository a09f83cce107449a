// quarnet --list of a four-unit system at 115200 against quarnet-sim on a
// pseudo-terminal, in real time: the whole run's wall time, and the requests of the
// run with the line time of their bytes (11 bit times each, both directions summed,
// as a request and its reply never overlap), from the simulator's traffic log.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "testing/program_run.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr double LineSpeed = 115200;

constexpr const char* FourUnits = R"([unit 5]
Attached = yes
Speed = 115200
Card = 653
Product = 61
Software = 6.12r41
[unit 2]
Card = 659
Software = 6.12r41
Information = Silo 3 load cells
[unit 9]
Card = 649
Software = 6.08r12
[unit 12]
Card = 653
Software = 6.10r57
)";

struct Traffic {
  int requests = 0;
  int bytes = 0;
};

// "  1260.578 RX 05 45 10 10 1D 31": a request heard; "TX" a reply sent.
Traffic Count(const std::string& log) {
  Traffic traffic;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string time, direction, byte;
    fields >> time >> direction;
    if (direction != "RX" && direction != "TX") continue;
    if (direction == "RX") ++traffic.requests;
    while (fields >> byte) ++traffic.bytes;
  }
  return traffic;
}

void ListOverPty(benchmark::State& state) {
  TemporaryFolder folder("list-bench");
  fs::create_directories(folder.Path("dev"));
  fs::copy_file(QUARNET_PROGRAM, folder.Path("quarnet"));
  folder.Write("system.txt", FourUnits);
  Traffic traffic;
  for (auto _ : state) {
    SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"),
                               {"--system", folder.Path("system.txt"), "--log", folder.Path("traffic.txt")});
    if (!simulator.Ready()) {
      state.SkipWithError("quarnet-sim did not start");
      break;
    }
    ProgramRun run = RunProgram(folder.Path(),
                                "env -u VELANTORPORTLIST VELANTORDEVDIR=dev XDG_CONFIG_HOME=" + folder.Path("config") +
                                    " ./quarnet --list -q -p COM4 </dev/null >/dev/null",
                                "", std::chrono::seconds(60));
    if (run.exitCode != 0) {
      state.SkipWithError(("--list failed: " + run.output).c_str());
      break;
    }
    state.SetIterationTime(run.secondsToEnd);
    simulator.Stop();
    traffic = Count(folder.Read("traffic.txt"));
  }
  state.counters["requests"] = traffic.requests;
  state.counters["line_s"] = traffic.bytes * 11 / LineSpeed;
}
BENCHMARK(ListOverPty)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
