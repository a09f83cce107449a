// How soon a stop ends the program in each long loop of the shell's operations: SIGTERM
// lands at a few points into a flash write, an update file, a log copy and the wait for
// the units after their restart, and the time to the program's end is measured. The
// program runs against quarnet-sim on a pseudo-terminal, in real time; the figure to
// hold is 1.5 s at the worst.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/program_run.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

// A unit on the port on the tool's software and one behind it on older software: update
// files, restarts and logs, without the minutes of a whole demo system.
constexpr const char* OneUnitBehind = R"([unit 5]
Attached = yes
Card = 649
Mcu = LPC1768
Software = 6.10r57
Checksum = 0x46199722
SoftwareCrc = 0x687D
BootLoaderVersion = 4
BootLoaderRelease = 18
BufferSize = 8192
UnitFlags = 0x01
Logs = yes
DebugLogs = 0x0301, 0x0302, 0x0303

[unit 9]
Card = 649
Mcu = LPC1768
Software = 6.04r02
BootLoaderVersion = 4
BootLoaderRelease = 15
BufferSize = 8192
UnitFlags = 0x01
RestartTime = 3600000
Logs = yes
)";

// A unit with many debug logs, so that the stop finds a copy under way.
std::string ManyLogs() {
  std::string system = "[unit 5]\nAttached = yes\nCard = 649\nSoftware = 6.10r57\nLogs = yes\nDebugLogs = 0x0301";
  for (int id = 0x0302; id <= 0x0340; ++id) {
    char text[16];
    std::snprintf(text, sizeof text, ", 0x%04X", id);
    system += text;
  }
  return system + "\n";
}

struct StopPoint {
  std::string system;     // empty: the update demo system
  const char* arguments;  // for quarnet
  const char* marker;     // shown as the loop starts
};

const StopPoint FlashWrite{"", "--update-all --yes -d", "Programming $00004000"};
const StopPoint UpdateFile{OneUnitBehind, "--update-all --yes -d", "Sending software update to unit"};
const StopPoint LogCopy{ManyLogs(), "--save-logs -d", "Uploading files"};
const StopPoint RestartWait{OneUnitBehind, "--update-all --yes -d", "Waiting for the units to restart"};

// The stop comes 0, 0.25, ... 1.75 s after the marker: into a block, a reply's wait and
// between blocks alike.
void StopLatency(benchmark::State& state, const StopPoint& point) {
  std::vector<double> latencies;
  for (auto _ : state) {
    TemporaryFolder folder("stop-latency");
    fs::create_directories(folder.Path("dev"));
    fs::create_directories(folder.Path("locks"));
    fs::copy_file(QUARNET_PROGRAM, folder.Path("quarnet"));
    std::string system = UPDATE_DEMO_SYSTEM;
    if (!point.system.empty()) {
      folder.Write("system.txt", point.system);
      system = folder.Path("system.txt");
    }
    SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"), {"--system", system});
    if (!simulator.Ready()) {
      state.SkipWithError("quarnet-sim did not start");
      break;
    }
    auto delay = std::chrono::milliseconds(250 * (latencies.size() % 8));
    ProgramRun run = RunProgram(folder.Path(),
                                "env -u VELANTORPORT VELANTORPORTLIST=COM4 VELANTORIMAGEDIR=" QUARNET_IMAGE_FOLDER
                                " VELANTORDEVDIR=dev VELANTORLOCKDIR=locks XDG_CONFIG_HOME=" +
                                    folder.Path("config") + " ./quarnet " + point.arguments + " </dev/null",
                                point.marker, std::chrono::seconds(300), delay);
    if (run.secondsToStop < 0) {
      state.SkipWithError((std::string("no '") + point.marker + "' from the program").c_str());
      break;
    }
    if (run.output.find("Stopped by the operator") == std::string::npos) {
      state.SkipWithError(("the stop came after the loop: " + run.output.substr(run.output.size() > 300 ? run.output.size() - 300 : 0)).c_str());
      break;
    }
    double latency = run.secondsToEnd - run.secondsToStop;
    latencies.push_back(latency);
    state.SetIterationTime(latency);
  }
  if (latencies.empty()) return;
  std::sort(latencies.begin(), latencies.end());
  state.counters["median_s"] = latencies[latencies.size() / 2];
  state.counters["worst_s"] = latencies.back();
}

BENCHMARK_CAPTURE(StopLatency, flash_write, FlashWrite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK_CAPTURE(StopLatency, update_file, UpdateFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK_CAPTURE(StopLatency, log_copy, LogCopy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK_CAPTURE(StopLatency, restart_wait, RestartWait)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8);

}  // namespace
