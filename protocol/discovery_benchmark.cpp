// Discovery of a unit whose software listens at 38400 on a pseudo-terminal, served
// by quarnet-sim in real time: the probe's whole time against the sum of the reply
// time-outs of the attempts that must fail before the fifth software ping is heard.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "link/port_control.h"
#include "platform/tty_device.h"
#include "protocol/discovery.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"

extern char** environ;

namespace {

void DiscoveryAt38400(benchmark::State& state) {
  TemporaryFolder folder("discovery-bench");
  folder.Write("system.ini", "[unit 5]\nCard = 653\nSoftware = 6.12\nSpeed = 38400\n");
  std::string system = folder.Path("system.ini");
  std::string link = folder.Path("com1");
  int output[2];
  if (pipe(output) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  const char* argv[] = {QUARNET_SIM_PROGRAM, "--system", system.c_str(), "--link", link.c_str(), nullptr};
  pid_t pid = -1;
  posix_spawn(&pid, QUARNET_SIM_PROGRAM, &actions, nullptr, const_cast<char**>(argv), environ);
  close(output[1]);
  char c;
  pollfd wait{output[0], POLLIN, 0};
  while (poll(&wait, 1, 10'000) > 0 && read(output[0], &c, 1) == 1 && c != '\n') {}
  InstallSerialDeviceOpener(OpenTtyDevice);
  SavedVariable devices("VELANTORDEVDIR", folder.Path());
  InstallConsoleSink([](uint8_t) {});
  PortNumber = 1;
  BaudRate = 19200;
  if (!OpenPort()) state.SkipWithError("cannot open the simulator's port");
  for (auto _ : state) {
    UnitInfo unit{};
    if (!FindUnitOnPort(unit)) state.SkipWithError("unit not found");
  }
  // Boot ROM: the raw read waits its 100 ms; boot loader: 2 × 50 ms; software: 4 × 50 ms.
  state.counters["timeouts_ms"] = 100 + 2 * 50 + 4 * 50;
  ClosePort();
  InstallConsoleSink(nullptr);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  close(output[0]);
}
BENCHMARK(DiscoveryAt38400)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
