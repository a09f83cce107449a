// A test fixture: LinkPort on a virtual line whose far end is a unit scripted by the
// test. The unit's serial port splits what it hears as a unit's does (a pause ends a
// request; a request with a length header may end at its count, so several can
// follow each other); each request body goes to `answer`, and every reply body it
// returns goes back framed like the request, at the line's pace. The block layouts
// are spelled out here from the wire format, apart from the tool's code.
#pragma once

#include <functional>
#include <numeric>
#include <optional>
#include <vector>

#include "link/virtual_link_fixture.h"
#include "link/link_speed.h"
#include "protocol/protocol_test_support.h"
#include "sim/chunk_receiver.h"
#include "sim/frame.h"
#include "transfer/remote_file.h"

using Bytes = std::vector<uint8_t>;

// The unit, drive and file the windowed tests read and write.
inline constexpr uint8_t Unit = 5;
inline constexpr uint8_t Drive = 1;
inline constexpr uint16_t File = 0x0100;

// 1, 2, 3, ...: content whose every block differs from its neighbours.
inline Bytes Counting(size_t size) {
  Bytes bytes(size);
  std::iota(bytes.begin(), bytes.end(), uint8_t{1});
  return bytes;
}

// A windowed request as the unit reads it.
struct BlockRequest {
  bool relayed = false;
  uint8_t code = 0;
  uint8_t drive = 0;
  uint16_t file = 0;
  uint32_t offset = 0;
  uint8_t count = 0;
  Bytes data;
};

inline std::optional<BlockRequest> ReadBlockRequest(const Bytes& body) {
  if (body.size() < 11 || (body[1] != 0x47 && body[1] != 0x48)) return std::nullopt;
  BlockRequest request;
  request.relayed = body[1] == 0x48;
  size_t at = request.relayed ? 3 : 2;
  if (request.relayed && (body[2] != 0x04 || body.size() < 12)) return std::nullopt;
  request.code = body[at];
  request.drive = body[at + 1];
  request.file = static_cast<uint16_t>(body[at + 2] << 8 | body[at + 3]);
  request.offset = static_cast<uint32_t>(body[at + 4]) << 24 | static_cast<uint32_t>(body[at + 5]) << 16 |
                   static_cast<uint32_t>(body[at + 6]) << 8 | body[at + 7];
  request.count = body[at + 8];
  request.data.assign(body.begin() + static_cast<long>(at + 9), body.end());
  return request;
}

// address, 0x47, 0x31, drive, file, offset, count, the data.
inline Bytes ReadReplyBody(uint8_t address, uint8_t drive, uint16_t file, uint32_t offset, const Bytes& data,
                           int count = -1) {
  Bytes body{address, 0x47, 0x31, drive, static_cast<uint8_t>(file >> 8), static_cast<uint8_t>(file)};
  AppendLong(body, offset);
  body.push_back(static_cast<uint8_t>(count < 0 ? data.size() : static_cast<size_t>(count)));
  body.insert(body.end(), data.begin(), data.end());
  return body;
}

// address, 0x47, code, drive, file, offset, a spare byte, result.
inline Bytes AckBody(uint8_t address, uint8_t drive, uint16_t file, uint32_t offset, uint8_t code = 0x33,
                     uint8_t result = 0) {
  Bytes body{address, 0x47, code, drive, static_cast<uint8_t>(file >> 8), static_cast<uint8_t>(file)};
  AppendLong(body, offset);
  body.push_back(0);
  body.push_back(result);
  return body;
}

// Replies with the request's head (address, 0x45, code) followed by `results`.
inline Bytes EchoBody(const Bytes& request, const Bytes& results) {
  Bytes reply(request.begin(), request.begin() + std::min<size_t>(4, request.size()));
  reply.insert(reply.end(), results.begin(), results.end());
  return reply;
}

class ScriptedFileUnit : public VirtualLink {
 protected:
  void SetUp() override {
    VirtualLink::SetUp();
    DetailedDebugOn = false;  // the calls' own lines, without the byte traces
    ResetProtocolState();
    PacketTimeout = LongPacketTimeout;  // as a connection leaves it
    RemoteFile = RemoteFileState{};
    peer().onReceive = [this] { Collect(); };
  }

  static uint16_t Code(const Bytes& request) {
    return request.size() >= 4 && request[1] == 0x45 ? static_cast<uint16_t>(request[2] << 8 | request[3]) : 0;
  }

  // Sends a reply now, framed as a unit frames it: body, then CRC-16/MODBUS low byte
  // first, behind a length header (0xF1, count) when asked.
  void Reply(const Bytes& body, bool lengthHeader) {
    Bytes frame;
    if (lengthHeader) frame = {0xF1, static_cast<uint8_t>(body.size() + 2)};
    frame.insert(frame.end(), body.begin(), body.end());
    uint16_t crc = 0xFFFF;
    for (uint8_t byte : body) {
      crc ^= byte;
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    frame.push_back(static_cast<uint8_t>(crc));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    PeerSends(frame);
  }

  // The replies to one request; none when the unit stays silent.
  std::function<std::vector<Bytes>(const Bytes& request)> answer;
  std::vector<Bytes> requests;
  std::vector<uint64_t> heardAt;  // the virtual time each request ended

 private:
  void Collect() {
    uint8_t byte;
    while (peer().Read(&byte, 1) == 1) receiver_.Take(byte, clock.Now(), peer().Settings().baud);
  }
  void Heard(Bytes chunk) {
    std::optional<Request> request = Unframe(chunk);
    if (!request) return;
    requests.push_back(request->body);
    heardAt.push_back(clock.Now());
    if (!answer) return;
    for (const Bytes& reply : answer(request->body)) Reply(reply, request->lengthHeader);
  }

  ChunkReceiver receiver_{[this](uint64_t when, std::function<void()> event) { clock.Schedule(when, event); },
                          [this](Bytes chunk) { Heard(std::move(chunk)); }};
};
