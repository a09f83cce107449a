// Whole-file throughput at 115200: the payload bytes per second of SendFile and of
// ReceiveFile for a 1 MB file, divided by the line's capacity (115200 / 11 bytes a
// second), reported as the counter payload_ratio. The windowed form's limit is about
// 0.895 (128 data bytes in each 143-byte block with its length header and CRC, the
// replies overlapped); the goal is 0.85. Measured twice: in virtual time on the
// virtual line against the simulator in-process, and in real time over a
// pseudo-terminal against quarnet-sim.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "link/packet.h"
#include "link/port_control.h"
#include "link/virtual_line.h"
#include "platform/tty_device.h"
#include "protocol/connection.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "runtime/virtual_clock.h"
#include "sim/simulator.h"
#include "sim/system_file.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"
#include "transfer/file_sending.h"

namespace {

constexpr uint32_t Speed = 115200;
constexpr uint32_t FileSize = 1 << 20;
constexpr uint16_t StoredFile = 0x0100;  // 1 MB on the unit from the start, for the reads
constexpr uint16_t SentFile = 0x0200;
const char* const SystemText =
    "[unit 5]\nCard = 653\nSoftware = 6.12\nSpeed = 115200\nFile = 1:0x0100, 1048576, counting\n";

std::vector<uint8_t> Counting() {
  std::vector<uint8_t> bytes(FileSize);
  for (uint32_t i = 0; i < FileSize; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

UnitInfo Display() {
  UnitInfo unit{};
  unit.unitmode = ModeSoftware;
  unit.SlaveAddress = 5;
  unit.softwareversion = 612;
  return unit;
}

// The link as a connection at 115200 to a unit of software 6.12 leaves it.
bool OpenLink() {
  InstallConsoleSink([](uint8_t) {});
  DebugOn = DetailedDebugOn = false;
  PortNumber = 1;
  BaudRate = Speed;
  EvenParity = false;
  PacketTimeout = 1000;
  RelayCapable = true;
  ResetPacketCache();
  ClearReceiveStaging();
  return OpenPort();
}

void CloseLink() {
  ClosePort();
  InstallConsoleSink(nullptr);
}

bool Send(const std::vector<uint8_t>& data) { return SendFile(Display(), 1, SentFile, data.data(), FileSize, true); }

bool Receive(std::vector<uint8_t>& buffer) {
  uint32_t size = 0;
  return ReceiveFile(Display(), 1, StoredFile, buffer.data(), static_cast<uint32_t>(buffer.size()), size) &&
         size == FileSize;
}

void ReportRatio(benchmark::State& state, double seconds) {
  state.counters["payload_ratio"] = FileSize / seconds / (Speed / 11.0);
  state.counters["transfer_s"] = seconds;
}

void InVirtualTime(benchmark::State& state, bool sending) {
  VirtualClock clock;
  InstallClock(&clock);
  VirtualLine line(clock, true);
  SystemDescription system;
  std::string error;
  if (!ReadSystemText(SystemText, system, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  auto simulator = std::make_unique<Simulator>(clock, system);
  simulator->Traffic().keepEntries = false;
  simulator->Attach(line);
  AttachVirtualLine(1, &line);
  std::vector<uint8_t> data = Counting();
  std::vector<uint8_t> buffer(FileSize + 128);
  if (!OpenLink()) state.SkipWithError("cannot open the virtual line");
  for (auto _ : state) {
    uint64_t start = clock.Now();
    if (!(sending ? Send(data) : Receive(buffer))) state.SkipWithError("the transfer failed");
    ReportRatio(state, static_cast<double>(clock.Now() - start) / 1e6);
  }
  CloseLink();
  AttachVirtualLine(1, nullptr);
  simulator.reset();
  InstallClock(nullptr);
}

void SendFileVirtual(benchmark::State& state) { InVirtualTime(state, true); }
void ReceiveFileVirtual(benchmark::State& state) { InVirtualTime(state, false); }
BENCHMARK(SendFileVirtual)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ReceiveFileVirtual)->Unit(benchmark::kSecond)->Iterations(1);

void InRealTime(benchmark::State& state, bool sending) {
  TemporaryFolder folder("file-bench");
  folder.Write("system.ini", SystemText);
  auto simulator = std::make_unique<SimulatorProcess>(QUARNET_SIM_PROGRAM, folder.Path("com1"),
                                                      std::vector<std::string>{"--system", folder.Path("system.ini")});
  SerialDeviceOpener before = InstallSerialDeviceOpener(OpenTtyDevice);
  setenv("VELANTORDEVDIR", folder.Path().c_str(), 1);
  std::vector<uint8_t> data = Counting();
  std::vector<uint8_t> buffer(FileSize + 128);
  if (!simulator->Ready() || !OpenLink()) state.SkipWithError("cannot reach quarnet-sim");
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (!(sending ? Send(data) : Receive(buffer))) state.SkipWithError("the transfer failed");
    ReportRatio(state, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  CloseLink();
  InstallSerialDeviceOpener(before);
  unsetenv("VELANTORDEVDIR");
  simulator.reset();
}

void SendFileOverPseudoTerminal(benchmark::State& state) { InRealTime(state, true); }
void ReceiveFileOverPseudoTerminal(benchmark::State& state) { InRealTime(state, false); }
BENCHMARK(SendFileOverPseudoTerminal)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(ReceiveFileOverPseudoTerminal)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
