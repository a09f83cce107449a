// Update All of the update demo system against quarnet-sim over a pseudo-terminal,
// in real time: the wall time against the line time of the busier direction (11 bit
// times a byte at the programmer speed, 115200, at which nearly all of the bytes
// travel) plus the pause the restart after a direct update prescribes. What is
// left is the overhead: turnarounds, time-outs of unanswered requests, restarts and
// speed changes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "link/packet.h"
#include "link/port_control.h"
#include "platform/tty_device.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"
#include "update/system_update.h"

namespace {

constexpr double LineSpeed = 115200;
constexpr double PrescribedWaits = 1.0;  // seconds: the pause after the KD5's direct update

void UpdateAllOverPty(benchmark::State& state) {
  TemporaryFolder folder("update-all");
  std::string link = folder.Path("com1");
  auto simulator = std::make_unique<SimulatorProcess>(QUARNET_SIM_PROGRAM, link,
                                                      std::vector<std::string>{"--system", UPDATE_DEMO_SYSTEM});
  InstallSerialDeviceOpener(OpenTtyDevice);
  setenv("VELANTORDEVDIR", folder.Path().c_str(), 1);
  setenv("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER, 1);
  InstallConsoleSink([](uint8_t) {});
  PortNumber = 1;
  BaudRate = 19200;
  EvenParity = false;
  UnitInfo local{};
  if (!simulator->Ready() || !OpenPort() || !FindUnitOnPort(local) || !Connect(local)) {
    state.SkipWithError("no unit on the port");
  }
  ReadExtendedInfo(local);
  ReadAdvancedInfo(local);
  uint32_t sent = TotalBytesSent;
  uint32_t received = TotalBytesReceived;
  double wall = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    FieldUpdateUnit(local);
    wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  double sentBytes = static_cast<double>(TotalBytesSent - sent);
  double receivedBytes = static_cast<double>(TotalBytesReceived - received);
  ClosePort();
  InstallConsoleSink(nullptr);
  unsetenv("VELANTORDEVDIR");
  simulator.reset();
  // The line is full duplex: acknowledgements travel while data is sent, so the line
  // time is that of the busier direction, not the sum of both.
  double sentTime = sentBytes * 11 / LineSpeed;
  double receivedTime = receivedBytes * 11 / LineSpeed;
  double line = std::max(sentTime, receivedTime);
  state.counters["sent_bytes"] = sentBytes;
  state.counters["received_bytes"] = receivedBytes;
  state.counters["sent_s"] = sentTime;
  state.counters["received_s"] = receivedTime;
  state.counters["wall_s"] = wall;
  state.counters["line_s"] = line;
  state.counters["prescribed_waits_s"] = PrescribedWaits;
  state.counters["overhead_s"] = wall - line - PrescribedWaits;
}
BENCHMARK(UpdateAllOverPty)->UseRealTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
