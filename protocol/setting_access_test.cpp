// Reading and writing one setting, byte for byte, against a scripted unit: the float's
// word order both ways, the texts read in parts, and replies that break their own
// lengths.
#include <gtest/gtest.h>

#include "protocol/scripted_unit_fixture.h"
#include "protocol/setting_access.h"

namespace {

using SettingCalls = ScriptedUnit;

UnitInfo SoftwareUnit(int version = 610) {
  UnitInfo unit{};
  unit.unitmode = ModeSoftware;
  unit.SlaveAddress = 5;
  unit.softwareversion = static_cast<int16_t>(version);
  return unit;
}

struct SettingReply {
  uint8_t shown = 0x00;  // decimals (low nibble), count-by bits 8 to 11 (high nibble)
  uint8_t countbyLow = 1;
  uint16_t valueLow = 0, valueHigh = 0;
  std::string texts[3] = {};
  Bytes skipped = {};
  // Text lengths as sent; by default the texts' own.
  int lengths[3] = {-1, -1, -1};
};

Bytes ReplyTo(const Bytes& request, const SettingReply& r) {
  Bytes reply(request.begin(), request.begin() + 4);
  reply.push_back(r.shown);
  reply.push_back(r.countbyLow);
  for (uint16_t word : {r.valueLow, r.valueHigh}) {
    reply.push_back(static_cast<uint8_t>(word >> 8));
    reply.push_back(static_cast<uint8_t>(word));
  }
  for (int i = 0; i < 20; ++i) reply.push_back(static_cast<uint8_t>(0x40 + i));  // the five further floats
  reply.push_back(0xAA);                                                         // dropped
  reply.push_back(0x07);                                                         // format
  for (int i = 0; i < 3; ++i) {
    reply.push_back(static_cast<uint8_t>(r.lengths[i] >= 0 ? r.lengths[i] : static_cast<int>(r.texts[i].size())));
  }
  reply.push_back(0x09);  // unit byte
  for (const std::string& text : r.texts) reply.insert(reply.end(), text.begin(), text.end());
  reply.push_back(static_cast<uint8_t>(r.skipped.size()));
  reply.insert(reply.end(), r.skipped.begin(), r.skipped.end());
  return reply;
}

TEST_F(SettingCalls, AWriteSendsTheFloatLowWordFirstAndReadsTheWholeReply) {
  SettingReply reply{.shown = 0x32, .countbyLow = 0x05, .valueLow = 0x0000, .valueHigh = 0x3F80,
                     .texts = {"kg", "second", ""}, .skipped = {1, 2, 3}};
  answer = [&](const Bytes& request) -> std::optional<Bytes> { return ReplyTo(request, reply); };
  SettingRecord record;
  record.value = 1.0f;
  ASSERT_TRUE(AccessSetting(SoftwareUnit(), 8060, SettingWrite, record));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0], (Bytes{0x05, 0x45, 0x10, 0x80, 0x00, 0x00, 0x3F, 0x80, 0x1F, 0x7C, 0x06, 0x11, 0x14, 0x00,
                                0x00, 0x00}));
  EXPECT_EQ(record.value, 1.0f);
  EXPECT_EQ(record.decimals, 2);
  EXPECT_EQ(record.countby, 0x0305);
  EXPECT_EQ(record.format, 0x07);
  EXPECT_EQ(record.unit, 0x09);
  EXPECT_EQ(record.unitstext, "kg");
  EXPECT_EQ(record.secondtext, "second");
  EXPECT_EQ(record.thirdtext, "");

  // A read sends the cleared value and takes the one the unit gives: 2.5 is 0x40200000.
  reply.valueHigh = 0x4020;
  SettingRecord read;
  ASSERT_TRUE(AccessSetting(SoftwareUnit(), 8044, SettingRead, read));
  EXPECT_EQ(requests[1], (Bytes{0x05, 0x45, 0x10, 0x80, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x6C, 0x05, 0x11, 0x14, 0x00,
                                0x00, 0x00}));
  EXPECT_EQ(read.value, 2.5f);
}

TEST_F(SettingCalls, SoftwareBefore600SendsNothing) {
  SettingRecord record;
  EXPECT_FALSE(AccessSetting(SoftwareUnit(599), 8044, SettingRead, record));
  UnitInfo unknown = SoftwareUnit();
  unknown.unitmode = ModeUnknown;
  EXPECT_FALSE(AccessSetting(unknown, 8044, SettingRead, record));
  EXPECT_TRUE(requests.empty());
  EXPECT_TRUE(PeerReceived().empty());
}

// Replies a unit should never send: each attempt fails, all eight are made, and the
// record keeps what it held.
TEST_F(SettingCalls, BrokenRepliesFailEveryAttemptAndLeaveTheRecord) {
  struct Case {
    const char* what;
    std::function<Bytes(const Bytes&)> reply;
  };
  const Case cases[] = {
      {"text lengths past the end of the packet",
       [](const Bytes& request) {
         return ReplyTo(request, SettingReply{.texts = {"kg", "", ""}, .lengths = {200, 255, 255}});
       }},
      {"a skipped count past the end",
       [](const Bytes& request) {
         Bytes reply = ReplyTo(request, SettingReply{.texts = {"kg", "", ""}});
         reply.back() = 0xFF;
         return reply;
       }},
      {"another procedure echoed",
       [](const Bytes& request) {
         Bytes reply = ReplyTo(request, SettingReply{.texts = {"kg", "", ""}});
         reply[3] = 0x81;
         return reply;
       }},
      {"a reply cut short in its fixed part",
       [](const Bytes& request) { return Bytes(request.begin(), request.begin() + 12); }},
  };
  for (const Case& c : cases) {
    requests.clear();
    answer = [&](const Bytes& request) -> std::optional<Bytes> { return c.reply(request); };
    SettingRecord record;
    record.value = 7.0f;
    record.unitstext = "before";
    EXPECT_FALSE(AccessSetting(SoftwareUnit(), 8060, SettingRead, record)) << c.what;
    EXPECT_EQ(requests.size(), 8u) << c.what;
    EXPECT_EQ(record.value, 7.0f) << c.what;
    EXPECT_EQ(record.unitstext, "before") << c.what;
    clock.Sleep(500'000);
    PeerReceived();
    ResetPacketCache();
    ClearReceiveStaging();
  }
}

}  // namespace
