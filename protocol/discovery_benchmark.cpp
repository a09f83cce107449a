// Discovery of a unit whose software listens at 38400 on a pseudo-terminal, served
// by quarnet-sim in real time: the probe's whole time against the sum of the reply
// time-outs of the attempts that must fail before the fifth software ping is heard.
#include <benchmark/benchmark.h>

#include <string>

#include "link/port_control.h"
#include "platform/tty_device.h"
#include "protocol/discovery.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "testing/saved_variable.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"

namespace {

void DiscoveryAt38400(benchmark::State& state) {
  TemporaryFolder folder("discovery-bench");
  folder.Write("system.ini", "[unit 5]\nCard = 653\nSoftware = 6.12\nSpeed = 38400\n");
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("com1"), {"--system", folder.Path("system.ini")});
  if (!simulator.Ready()) {
    state.SkipWithError("quarnet-sim did not start");
    return;
  }
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
}
BENCHMARK(DiscoveryAt38400)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
