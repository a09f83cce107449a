// A test fixture: LinkPort on a virtual line whose far end is a unit scripted by the
// test. Each complete request frame (recognised by its CRC) goes to `answer`, whose
// reply body, if any, is framed and sent back at the line's pace.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "generic/checksum.h"
#include "link/virtual_link_fixture.h"

using Bytes = std::vector<uint8_t>;

class ScriptedUnit : public VirtualLink {
 protected:
  void SetUp() override {
    VirtualLink::SetUp();
    DetailedDebugOn = false;  // the calls' own lines, without the byte traces
    peer().onReceive = [this] { Collect(); };
  }

  // Replies with the request's head (and function 0x45) followed by `results`.
  static Bytes Echo(const Bytes& request, const Bytes& results) {
    Bytes reply(request.begin(), request.begin() + std::min<size_t>(4, request.size()));
    reply.insert(reply.end(), results.begin(), results.end());
    return reply;
  }
  static uint16_t Code(const Bytes& request) {
    return request.size() >= 4 ? static_cast<uint16_t>(request[2] << 8 | request[3]) : 0;
  }

  std::function<std::optional<Bytes>(const Bytes& request)> answer;
  // When set, every arriving byte goes here instead: for text protocols such as the
  // MCU boot ROM's.
  std::function<void(uint8_t byte)> raw;
  std::vector<Bytes> requests;

 private:
  void Collect() {
    uint8_t byte;
    while (peer().Read(&byte, 1) == 1) {
      if (raw) {
        raw(byte);
        continue;
      }
      pending_.push_back(byte);
      // A frame may follow garbage heard at another speed: try every start.
      for (size_t start = 0; start + 4 <= pending_.size(); ++start) {
        std::string_view frame(reinterpret_cast<const char*>(pending_.data()) + start, pending_.size() - start);
        if (CrcOf(frame) != 0) continue;
        Bytes request(pending_.begin() + static_cast<long>(start), pending_.end() - 2);
        pending_.clear();
        requests.push_back(request);
        std::optional<Bytes> reply = answer ? answer(request) : std::nullopt;
        if (reply) Send(*reply);
        break;
      }
    }
  }
  void Send(Bytes body) {
    uint16_t crc = CrcOf(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
    body.push_back(static_cast<uint8_t>(crc >> 8));
    body.push_back(static_cast<uint8_t>(crc));
    PeerSends(body);
  }
  Bytes pending_;
};
