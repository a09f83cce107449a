// How much of the line the KD6 software's flash write uses: payload bytes written
// per second against the line's capacity (speed / 11 bit times a byte), at 115200
// and at the fastest programmer speed. Once in virtual time on the virtual line
// against the in-process simulator (the protocol's own cost: request and reply
// heads, CRCs, turnarounds), once in real time over a pseudo-terminal against
// quarnet-sim, which paces every byte at the line speed. The counter
// line_capacity_ratio is the measure; 8192-byte records allow about 0.998.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "link/port_control.h"
#include "link/virtual_line.h"
#include "platform/tty_device.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "protocol/remote_call.h"
#include "protocol/speed_negotiation.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "runtime/virtual_clock.h"
#include "sim/simulator.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"
#include "transfer/download_image.h"
#include "transfer/flash_programming.h"
#include "transfer/image_catalogue.h"
#include "transfer/programmer_download.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* Kd6InBootLoader =
    "[unit 5]\nCard = 653\nSoftware = 6.12r41\nProgram = bootloader\nBootLoaderVersion = 3\n"
    "BootLoaderRelease = 18\nBufferSize = 8192\n";

// The KD6 as its boot loader reports it.
UnitInfo Kd6BootLoader() {
  UnitInfo unit{};
  unit.unitmode = ModeBootLoader;
  unit.SlaveAddress = 1;
  unit.cardnumber = 653;
  unit.mcu = 6;
  unit.unittype = UnitDisplay;
  unit.bootversion = 3;
  unit.bootrelease = 18;
  unit.buffersize = 8192;
  return unit;
}

void Report(benchmark::State& state, uint32_t speed, double payload, double seconds) {
  state.counters["payload_bytes_per_s"] = payload / seconds;
  state.counters["line_capacity_ratio"] = payload / seconds / (speed / 11.0);
}

void FlashWriteVirtual(benchmark::State& state) {
  uint32_t speed = static_cast<uint32_t>(state.range(0));
  setenv("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER, 1);
  InstallConsoleSink([](uint8_t) {});
  VirtualClock clock;
  InstallClock(&clock);
  {
    VirtualLine line(clock, true);
    SystemDescription system;
    std::string error;
    ReadSystemText(Kd6InBootLoader, system, error);
    Simulator simulator(clock, system);
    simulator.Attach(line);
    AttachVirtualLine(1, &line);
    PortNumber = 1;
    BaudRate = 9600;
    EvenParity = false;
    LoaderAddress = 1;
    ProgrammerBaudRate = speed;
    UnitInfo unit = Kd6BootLoader();
    if (!OpenPort() || !SelectFlashProgrammer(unit) || !DownloadProgrammer(unit, unit.ProgrammerImage, "") ||
        !SelectSoftwareImage(unit)) {
      state.SkipWithError("the programmer did not start");
    }
    double payload = ImageTotalSize(unit.SoftwareImage);
    double seconds = 0;
    for (auto _ : state) {
      uint64_t start = clock.Now();
      if (!WriteSoftware(unit, unit.SoftwareImage)) state.SkipWithError("the write failed");
      double elapsed = static_cast<double>(clock.Now() - start) / 1e6;
      state.SetIterationTime(elapsed);
      seconds += elapsed;
    }
    Report(state, speed, payload * static_cast<double>(state.iterations()), seconds);
    ClosePort();
    AttachVirtualLine(1, nullptr);
  }
  ProgrammerBaudRate = 0;
  InstallClock(nullptr);
  InstallConsoleSink(nullptr);
}
BENCHMARK(FlashWriteVirtual)->Arg(115200)->Arg(921600)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void FlashWriteOverPty(benchmark::State& state) {
  uint32_t speed = static_cast<uint32_t>(state.range(0));
  TemporaryFolder folder("flash");
  std::string systemFile = folder.Path("system.ini");
  std::ofstream(systemFile) << Kd6InBootLoader;
  std::string link = folder.Path("com1");
  auto simulator = std::make_unique<SimulatorProcess>(QUARNET_SIM_PROGRAM, link,
                                                      std::vector<std::string>{"--system", systemFile});
  InstallSerialDeviceOpener(OpenTtyDevice);
  setenv("VELANTORDEVDIR", folder.Path().c_str(), 1);
  setenv("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER, 1);
  InstallConsoleSink([](uint8_t) {});
  PortNumber = 1;
  BaudRate = 9600;
  EvenParity = false;
  ProgrammerBaudRate = speed;
  UnitInfo unit{};
  if (!simulator->Ready() || !OpenPort() || !FindUnitOnPort(unit)) state.SkipWithError("no unit on the port");
  unit = Kd6BootLoader();
  if (!SelectFlashProgrammer(unit) || !DownloadProgrammer(unit, unit.ProgrammerImage, "") ||
      !SelectSoftwareImage(unit)) {
    state.SkipWithError("the programmer did not start");
  }
  for (auto _ : state) {
    if (!WriteSoftware(unit, unit.SoftwareImage)) state.SkipWithError("the write failed");
  }
  ProgrammerBaudRate = 0;
  ClosePort();
  InstallConsoleSink(nullptr);
  unsetenv("VELANTORDEVDIR");
  simulator.reset();
  double payload = ImageTotalSize(unit.SoftwareImage) * static_cast<double>(state.iterations());
  state.counters["payload_bytes_per_s"] = benchmark::Counter(payload, benchmark::Counter::kIsRate);
  state.counters["line_capacity_ratio"] = benchmark::Counter(payload / (speed / 11.0), benchmark::Counter::kIsRate);
}
BENCHMARK(FlashWriteOverPty)->Arg(115200)->Arg(921600)->UseRealTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
