// Round trip of a 6-byte request and a 14-byte reply over a pseudo-terminal at
// 115200 baud against a peer that answers as soon as the request is in, compared
// with the line time of the 24 bytes (11 bit times each) the exchange puts on a wire.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

#include "generic/checksum.h"
#include "link/packet.h"
#include "link/port_control.h"
#include "platform/pseudo_terminal.h"
#include "platform/tty_device.h"
#include "runtime/program_state.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"

namespace {

std::vector<uint8_t> ReplyFrame() {
  std::vector<uint8_t> frame(14);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(0x30 + i);
  uint16_t crc = CrcOf(std::string_view(reinterpret_cast<const char*>(frame.data()), frame.size()));
  frame.push_back(static_cast<uint8_t>(crc >> 8));
  frame.push_back(static_cast<uint8_t>(crc));
  return frame;
}

void PacketRoundTripOverPty(benchmark::State& state) {
  TemporaryFolder folder("packet-bench");
  PseudoTerminal pty;
  pty.LinkAs(folder.Path("com1"));
  InstallSerialDeviceOpener(OpenTtyDevice);
  SavedVariable devices("VELANTORDEVDIR", folder.Path());
  PortNumber = 1;
  BaudRate = 115200;
  PacketTimeout = 1000;
  if (!OpenPort()) {
    state.SkipWithError("cannot open the pseudo-terminal");
    return;
  }
  std::atomic<bool> running{true};
  std::thread peer([&] {
    std::vector<uint8_t> reply = ReplyFrame();
    size_t pending = 0;
    uint8_t buffer[64];
    while (running) {
      if (!pty.WaitForInput(20)) continue;
      int got = pty.Read(buffer, sizeof buffer);
      if (got < 0) break;
      pending += static_cast<size_t>(got);
      if (pending >= 8) {
        pending -= 8;
        pty.Write(reply.data(), static_cast<int>(reply.size()));
      }
    }
  });
  const uint8_t request[6] = {0x05, 0x45, 0x10, 0x10, 0x00, 0x00};
  for (auto _ : state) {
    BeginPacket();
    for (uint8_t b : request) PutByte(PacketStream, b);
    SendPacket(LinkPort, 6);
    RecvPacket(LinkPort, 14);
    for (int i = 0; i < 14; ++i) GetByte(PacketReader);
    if (!EndRecvPacket(LinkPort)) state.SkipWithError("exchange failed");
    // A repeat of an identical request would be answered from the held reply.
    ResetPacketCache();
  }
  double lineTime = (6 + 2 + 14 + 2) * 11 / 115200.0;
  state.counters["line_time_ms"] = lineTime * 1000;
  state.counters["target_ms"] = (1.5 * lineTime + 0.001) * 1000;
  running = false;
  peer.join();
  ClosePort();
}
BENCHMARK(PacketRoundTripOverPty)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
