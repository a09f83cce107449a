// How soon the operator sees the program: from process start to the main window, and
// to "Connected" with the demo system on a pseudo-terminal. The program runs without a
// display, so the figures leave out the X server's share.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "testing/program_run.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

void StartUntil(benchmark::State& state, const std::string& marker) {
  TemporaryFolder folder("start-bench");
  fs::create_directories(folder.Path("dev"));
  fs::copy_file(QUARNET_PROGRAM, folder.Path("quarnet"));
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"));
  if (!simulator.Ready()) state.SkipWithError("quarnet-sim did not start");
  for (auto _ : state) {
    double seconds = RunProgram(folder.Path(),
                                "env QUARNET_UI=headless VELANTORDEVDIR=dev VELANTORPORTLIST=COM4 "
                                "XDG_CONFIG_HOME=" + folder.Path("config") + " ./quarnet",
                                marker)
                         .secondsToStop;
    if (seconds < 0) {
      state.SkipWithError(("no '" + marker + "' from the program").c_str());
      break;
    }
    state.SetIterationTime(seconds);
  }
}

// The window is up, its port and speed chosen, and the search about to start.
void BM_StartToMainWindow(benchmark::State& state) { StartUntil(state, "Disconnected"); }
void BM_StartToConnected(benchmark::State& state) { StartUntil(state, "Connected"); }

BENCHMARK(BM_StartToMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartToConnected)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
