// libFuzzer target: a unit's replies as the packet layer reads them. Each exchange
// sends a request (sometimes the last one again, which the held reply answers),
// lets the unit send bytes described by the input (any bytes, with or without a
// correct CRC, a length header, stray bytes before, late or at once) and reads them
// as RecvPacket or as RecvPartialPacket in parts, then EndRecvPacket. Beyond a crash
// it catches a verdict that disagrees with the bytes taken, buffer counts past their
// buffers, and waits longer than the time-outs allow, all in virtual time.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

#include "link/fuzz/fuzz_link.h"

namespace {

constexpr uint32_t SlideLimitMs = 100;

void CheckCounts() {
  FuzzCheck(SendPacketSize <= PacketBufferSize && SendPacketPos <= PacketBufferSize);
  FuzzCheck(RecvPacketSize <= PacketBufferSize);
  FuzzCheck(RecvPacketPos <= RecvPacketSize || RecvPacketSize == 0);
  FuzzCheck(ReceiveStagingCount() <= 65536);
}

std::vector<uint8_t> Reply(FuzzedDataProvider& input, bool& isLong) {
  uint8_t shape = input.ConsumeIntegral<uint8_t>();
  std::vector<uint8_t> reply;
  if (shape & 0x04) reply.assign(shape >> 5, 0x00);  // stray bytes ahead of the reply
  size_t start = reply.size();
  std::vector<uint8_t> body = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 64));
  isLong = (shape & 0x18) == 0x18;
  if (isLong) {
    // Longer than any buffer: the pattern repeated past PacketBufferSize.
    std::vector<uint8_t> pattern = body.empty() ? std::vector<uint8_t>{0x55} : body;
    body.clear();
    size_t length = input.ConsumeIntegralInRange<size_t>(PacketBufferSize - 8, PacketBufferSize + 8);
    while (body.size() < length) body.push_back(pattern[body.size() % pattern.size()]);
  }
  reply.insert(reply.end(), body.begin(), body.end());
  if (shape & 0x01) {
    std::vector<uint8_t> frame(reply.begin() + static_cast<long>(start), reply.end());
    uint16_t crc = FuzzCrc(frame.data(), frame.size());
    reply.push_back(static_cast<uint8_t>(crc));
    reply.push_back(static_cast<uint8_t>(crc >> 8));
  }
  if (shape & 0x02) {
    reply.insert(reply.begin() + static_cast<long>(start),
                 {LengthHeaderMark, static_cast<uint8_t>((reply.size() - start) % 256)});
  }
  return reply;
}

// Reads `count` reply bytes as a reader would, some of them past the end.
void Take(uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) GetPacketByte();
  CheckCounts();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  FuzzLink link;
  FuzzCheck(link.opened);
  PacketTimeout = input.PickValueInArray({ShortPacketTimeout, MediumPacketTimeout, LongPacketTimeout});
  std::vector<uint8_t> request;
  for (int exchange = 0; exchange < 8 && input.remaining_bytes() > 0; ++exchange) {
    if (request.empty() || !input.ConsumeBool()) {
      request = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(1, 8));
      if (request.empty()) request.push_back(0);
    }
    BeginPacket();
    for (uint8_t byte : request) PutPacketByte(byte);
    if (input.ConsumeBool()) SendLengthFramePacket(LinkPort, static_cast<uint32_t>(request.size()));
    else SendPacket(LinkPort, static_cast<uint32_t>(request.size()));
    CheckCounts();

    bool isLong = false;
    std::vector<uint8_t> reply = Reply(input, isLong);
    uint32_t delay = input.ConsumeIntegralInRange<uint32_t>(0, 2 * PacketTimeout);
    // A long reply comes in one block, since on the line every byte is an event.
    if (isLong) link.UnitSendsBlock(reply, delay);
    else link.UnitSends(std::move(reply), delay);
    uint64_t start = link.NowMs();
    int parts = 1;
    if (input.ConsumeBool()) {
      uint32_t body = input.ConsumeIntegralInRange<uint32_t>(0, input.ConsumeBool() ? PacketBufferSize + 4 : 40);
      RecvPacket(LinkPort, body);
      CheckCounts();
      Take(input.ConsumeIntegralInRange<uint32_t>(0, body + 2));
    } else {
      parts = input.ConsumeIntegralInRange(1, 3);
      for (int part = 0; part < parts; ++part) {
        uint32_t count = input.ConsumeIntegralInRange<uint32_t>(0, input.ConsumeBool() ? PacketBufferSize + 4 : 40);
        RecvPartialPacket(LinkPort, count);
        CheckCounts();
        Take(input.ConsumeIntegralInRange<uint32_t>(0, count + 2));
      }
    }
    // The verdict from the bytes themselves: at least a head and a CRC, the CRC right,
    // and every body byte taken.
    bool expected = RecvPacketSize >= 4 && FuzzCrc(RecvBuffer, RecvPacketSize) == 0 &&
                    RecvPacketPos == RecvPacketSize - 2;
    bool accepted = EndRecvPacket(LinkPort);
    FuzzCheck(accepted == expected);
    CheckCounts();
    // Every wait is bounded by the reply time-out, whatever the unit does: two blocks a
    // part, and a slide of its own limit plus one block for the receive and the verdict.
    uint64_t bound = (2 * parts + 2) * (PacketTimeout + 2) + 2 * (SlideLimitMs + PacketTimeout + 2) + 50;
    FuzzCheck(link.NowMs() - start <= bound);
  }
  return 0;
}
