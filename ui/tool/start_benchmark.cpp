// How soon the operator sees the program: from process start to the main window, and
// to "Connected" with the demo system on a pseudo-terminal. The program runs without a
// display, so the figures leave out the X server's share.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "sim/simulator_process.h"

namespace {

namespace fs = std::filesystem;

// Seconds from the start of the process until `marker` shows in its output; -1 when
// it never does. The program is stopped with SIGTERM afterwards.
double SecondsUntil(const fs::path& folder, const std::string& marker) {
  int ends[2];
  if (pipe(ends) != 0) return -1;
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    dup2(ends[1], 1);
    dup2(ends[1], 2);
    close(ends[0]);
    close(ends[1]);
    if (chdir(folder.c_str()) != 0) _exit(127);
    execl("/usr/bin/env", "env", "QUARNET_UI=headless", "VELANTORDEVDIR=dev", "VELANTORPORTLIST=COM4",
          "XDG_CONFIG_HOME=config", "./quarnet", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ends[1]);
  std::string output;
  double seconds = -1;
  pollfd input{ends[0], POLLIN, 0};
  char buffer[4096];
  while (poll(&input, 1, 10'000) > 0) {
    ssize_t got = read(ends[0], buffer, sizeof buffer);
    if (got <= 0) break;
    output.append(buffer, static_cast<size_t>(got));
    if (output.find(marker) != std::string::npos) {
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      break;
    }
  }
  kill(child, SIGTERM);
  while (read(ends[0], buffer, sizeof buffer) > 0) {
  }
  close(ends[0]);
  waitpid(child, nullptr, 0);
  return seconds;
}

void StartUntil(benchmark::State& state, const std::string& marker) {
  char pattern[] = "/tmp/quarnet-bench-XXXXXX";
  fs::path folder = mkdtemp(pattern);
  fs::create_directories(folder / "dev");
  fs::copy_file(QUARNET_PROGRAM, folder / "quarnet");
  {
    SimulatorProcess simulator(QUARNET_SIM_PROGRAM, (folder / "dev" / "com4").string());
    if (!simulator.Ready()) state.SkipWithError("quarnet-sim did not start");
    for (auto _ : state) {
      double seconds = SecondsUntil(folder, marker);
      if (seconds < 0) {
        state.SkipWithError(("no '" + marker + "' from the program").c_str());
        break;
      }
      state.SetIterationTime(seconds);
    }
  }
  fs::remove_all(folder);
}

// The window is up, its port and speed chosen, and the search about to start.
void BM_StartToMainWindow(benchmark::State& state) { StartUntil(state, "Disconnected"); }
void BM_StartToConnected(benchmark::State& state) { StartUntil(state, "Connected"); }

BENCHMARK(BM_StartToMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartToConnected)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
