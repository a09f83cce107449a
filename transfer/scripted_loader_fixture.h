// A test fixture: a boot loader or flash programmer scripted byte by byte on the far
// end of a virtual line, for the replies a well-behaved unit never sends, and small
// download images built by the test.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

#include "protocol/protocol_test_support.h"
#include "protocol/scripted_unit_fixture.h"
#include "protocol/speed_negotiation.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "transfer/image_folder_fixture.h"

class ScriptedLoader : public ScriptedUnit {
 protected:
  void SetUp() override {
    ScriptedUnit::SetUp();
    SetVariable("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER);
    ResetProtocolState();
  }

  static bool IsSmallBlock(const Bytes& request) { return Code(request) == 0x1020 || Code(request) == 0x1040; }
  // What a loader answers a block: head, address and length echoed; a write adds its result.
  static Bytes BlockEcho(const Bytes& request) {
    Bytes reply(request.begin(), request.begin() + (IsSmallBlock(request) ? 9 : 10));
    if (Code(request) == 0x1040 || Code(request) == 0x1042) reply.push_back(0);
    return reply;
  }
  // The loader takes the programmer speed asked for by table index as soon as its
  // reply is on its way.
  void FollowSpeed(const Bytes& request) {
    clock.Schedule(clock.Now(), [this, index = request[4]] {
      peer().Configure(LineSettings{ProgrammerSpeeds[index], 2, false, false, false});
    });
  }
  // The procedure codes of the requests heard, in order.
  std::vector<uint16_t> Codes() const {
    std::vector<uint16_t> codes;
    for (const Bytes& request : requests) codes.push_back(Code(request));
    return codes;
  }
  size_t Count(const std::string& text) const {
    const std::string& said = console.Text();
    size_t count = 0;
    for (size_t at = said.find(text); at != std::string::npos; at = said.find(text, at + 1)) ++count;
    return count;
  }

  SavedVariable savedFolder{"VELANTORIMAGEDIR"};
};

// A download image of records (address, size) with filler data.
inline Bytes DownloadImageOf(uint32_t transferAddr, std::initializer_list<std::pair<uint32_t, uint16_t>> records) {
  Bytes image;
  auto put = [&image](uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) image.push_back(static_cast<uint8_t>(value >> shift));
  };
  uint32_t total = 0;
  for (const auto& record : records) total += record.second;
  put(transferAddr, 4);
  put(total, 4);
  for (const auto& [address, size] : records) {
    put(address, 4);
    put(size, 2);
    for (uint16_t i = 0; i < size; ++i) image.push_back(static_cast<uint8_t>(i * 7));
  }
  put(0xFFFFFFFF, 4);
  return image;
}

inline ImageSlot SlotOf(const Bytes& image) { return ImageSlot{image.data(), static_cast<uint32_t>(image.size())}; }

// In a death test's child: closing the port as the program ends tells on the console
// how many bytes went out since this was called.
inline uint32_t bytesSentAtMark = 0;
inline void ReportBytesSent() {
  PutText(StandardOutput, "[bytes sent: ");
  PutInt(StandardOutput, TotalBytesSent - bytesSentAtMark);
  PutText(StandardOutput, "]\r\n");
}
inline void MarkBytesSent() {
  bytesSentAtMark = TotalBytesSent;
  ClosePortHook = ReportBytesSent;
}
