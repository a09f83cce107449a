// The setup, Modbus and fieldbus calls against a scripted unit: their requests and log
// lines, the three sequence counters, and the echo that decides which reply counts.
#include <gtest/gtest.h>

#include "protocol/scripted_unit_fixture.h"
#include "protocol/setup_calls.h"

namespace {

class SetupCalls : public ScriptedUnit {
 protected:
  void SetUp() override {
    ScriptedUnit::SetUp();
    ResetSetupSequences();
    // A unit that echoes the sequence and reports `status`.
    answer = [this](const Bytes& request) -> std::optional<Bytes> {
      Bytes reply{request[0], 0x46, 0x00, request[3]};
      if (request[2] == 0x92 || request[2] == 0x95 || request[2] == 0x97) reply.push_back(status);
      return reply;
    };
  }
  uint8_t status = 0;
};

UnitInfo SoftwareUnit() {
  UnitInfo unit{};
  unit.unitmode = ModeSoftware;
  unit.SlaveAddress = 5;
  unit.softwareversion = 610;
  return unit;
}

TEST_F(SetupCalls, EachCallSendsItsRequestAndLogsItsName) {
  UnitInfo unit = SoftwareUnit();
  uint8_t reported = 0xFF;
  status = 3;
  ASSERT_TRUE(LoadSetup(unit, 0x3E));
  ASSERT_TRUE(SaveSetup(unit));
  ASSERT_TRUE(SaveLoadStatus(unit, reported));
  EXPECT_EQ(reported, 3);
  ASSERT_TRUE(SaveModbusConfig(unit));
  ASSERT_TRUE(SaveModbusConfigStatus(unit, reported));
  ASSERT_TRUE(SaveFieldbusConfig(unit));
  status = 0;
  ASSERT_TRUE(SaveFieldbusConfigStatus(unit, reported));
  EXPECT_EQ(reported, 0);
  // The setup family counts 0, 1, 2; the Modbus and fieldbus families each 0, 1.
  EXPECT_EQ(requests, (std::vector<Bytes>{{0x05, 0x46, 0x90, 0x00, 0x3E},
                                          {0x05, 0x46, 0x91, 0x01, 0x00},
                                          {0x05, 0x46, 0x92, 0x02},
                                          {0x05, 0x46, 0x94, 0x00},
                                          {0x05, 0x46, 0x95, 0x01},
                                          {0x05, 0x46, 0x96, 0x00},
                                          {0x05, 0x46, 0x97, 0x01}}));
  EXPECT_TRUE(Said("RPC: LoadSetup3E\r\nCOMPLETE\r\n"));
  EXPECT_TRUE(Said("RPC: SaveSetup\r\nCOMPLETE\r\n"));
  EXPECT_TRUE(Said("RPC: SaveLoadStatus\r\nCOMPLETE\r\n"));
  EXPECT_TRUE(Said("RPC: SaveModbusConfig\r\nCOMPLETE\r\n"));
  EXPECT_TRUE(Said("RPC: SaveModbusConfigStatus\r\nCOMPLETE\r\n"));
  EXPECT_TRUE(Said("RPC: SaveFieldbusConfig\r\nCOMPLETE\r\n"));
  EXPECT_TRUE(Said("RPC: SaveFieldbusConfigStatus\r\nCOMPLETE\r\n"));
}

TEST_F(SetupCalls, TheSequenceIsTheCounterModuloEight) {
  UnitInfo unit = SoftwareUnit();
  uint8_t reported;
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(SaveModbusConfigStatus(unit, reported));
  ASSERT_EQ(requests.size(), 10u);
  EXPECT_EQ(requests[7][3], 7);
  EXPECT_EQ(requests[8][3], 0);
  EXPECT_EQ(requests[9][3], 1);
}

TEST_F(SetupCalls, AReplyWithAnotherSequenceIsRejectedAndTheSameRequestSentAgain) {
  int heard = 0;
  answer = [&](const Bytes& request) -> std::optional<Bytes> {
    ++heard;
    uint8_t echo = heard < 3 ? static_cast<uint8_t>(request[3] + 1) : request[3];
    return Bytes{request[0], 0x46, 0x00, echo, 0x00};
  };
  uint8_t reported = 0xFF;
  ASSERT_TRUE(SaveLoadStatus(SoftwareUnit(), reported));
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0], requests[1]);
  EXPECT_EQ(requests[1], requests[2]);
  EXPECT_EQ(reported, 0);
}

TEST_F(SetupCalls, EightRejectedRepliesFailTheCallWithoutCompleteAndUseUpOneSequence) {
  struct Case {
    const char* what;
    std::function<Bytes(const Bytes&)> reply;
  };
  const Case cases[] = {
      {"another sequence", [](const Bytes& r) { return Bytes{r[0], 0x46, 0x00, static_cast<uint8_t>(r[3] ^ 4)}; }},
      {"another address", [](const Bytes& r) { return Bytes{0x06, 0x46, 0x00, r[3]}; }},
      {"another function", [](const Bytes& r) { return Bytes{r[0], 0x45, 0x00, r[3]}; }},
      {"too short", [](const Bytes& r) { return Bytes{r[0], 0x46, 0x00}; }},
  };
  for (const Case& c : cases) {
    requests.clear();
    console.Clear();
    answer = [&](const Bytes& request) -> std::optional<Bytes> { return c.reply(request); };
    EXPECT_FALSE(SaveFieldbusConfig(SoftwareUnit())) << c.what;
    EXPECT_EQ(requests.size(), 8u) << c.what;
    EXPECT_TRUE(Said("RPC: SaveFieldbusConfig\r\n")) << c.what;
    EXPECT_FALSE(Said("COMPLETE")) << c.what;
    clock.Sleep(500'000);
    PeerReceived();
    ResetPacketCache();
    ClearReceiveStaging();
  }
  // Every call took the next number, whether it succeeded or not.
  answer = [](const Bytes& r) -> std::optional<Bytes> { return Bytes{r[0], 0x46, 0x00, r[3]}; };
  requests.clear();
  ASSERT_TRUE(SaveFieldbusConfig(SoftwareUnit()));
  EXPECT_EQ(requests[0][3], 4);
}

}  // namespace
