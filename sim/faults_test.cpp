#include "sim/test_client.h"

namespace {

using FaultsTest = SimulatorTest;

const Body Ping = Hex("05 41");
const Body PingReply = Hex("05 42");

TEST_F(FaultsTest, RepliesAreDroppedAsOrderedWhileTheRequestsAreStillCarriedOut) {
  StartDemo();
  simulator->OrderFault({.kind = FaultKind::DropReply, .after = 1, .count = 2});
  EXPECT_EQ(client.Call(Ping), PingReply);
  EXPECT_EQ(client.Call(Ping), std::nullopt);
  EXPECT_EQ(client.Call(Hex("05 45 10 30 00 01 C2 00")), std::nullopt);
  EXPECT_EQ(simulator->Unit(5)->listening.baud, 115200u) << "the unit changed speed all the same";
  client.SetSpeed(115200);
  EXPECT_EQ(client.Call(Ping), PingReply);
  EXPECT_EQ(simulator->Traffic().Of(TrafficKind::Received).size(), 4u);
  EXPECT_EQ(simulator->Traffic().Of(TrafficKind::Sent),
            (std::vector<std::string>{"05 42 82 D1", "05 42 82 D1"}));
}

TEST_F(FaultsTest, StrayBytesComeJustBeforeOneReply) {
  StartDemo();
  simulator->OrderFault({.kind = FaultKind::StrayBytes, .after = 1, .bytes = 2});
  EXPECT_EQ(client.Call(Ping), PingReply);
  client.Send(TestClient::Framed(Ping));
  Body expected = Hex("00 00");
  Body framed = TestClient::Framed(PingReply);
  expected.insert(expected.end(), framed.begin(), framed.end());
  EXPECT_EQ(client.Receive(), expected);
  EXPECT_EQ(client.Call(Ping), PingReply);
}

TEST_F(FaultsTest, ACorruptedReplyHasItsMiddleByteInverted) {
  StartDemo();
  simulator->OrderFault({.kind = FaultKind::CorruptReply});
  client.Send(TestClient::Framed(Ping));
  Body expected = TestClient::Framed(PingReply);
  expected[2] ^= 0xFF;
  EXPECT_EQ(client.Receive(), expected);
  EXPECT_EQ(client.Call(Ping), PingReply);
}

TEST_F(FaultsTest, AMutedUnitStopsAnsweringButItsBootLoaderStillAnswersAfterAPowerCycle) {
  StartDemo();
  simulator->OrderFault({.kind = FaultKind::Mute, .after = 2});
  EXPECT_EQ(client.Call(Ping), PingReply);
  EXPECT_EQ(client.Call(Hex("09 41")), Hex("09 42"));
  EXPECT_EQ(client.Call(Ping), std::nullopt);
  EXPECT_EQ(client.Call(Hex("09 41")), std::nullopt) << "a muted unit passes nothing on";
  simulator->PowerCycle(5);
  client.Wait(1500);
  client.SetSpeed(9600);
  EXPECT_EQ(client.Call(Hex("01 45 10 12")), Hex("01 45 10 12 62"));
}

TEST_F(FaultsTest, AFaultForOneUnitLeavesTheOthersAlone) {
  StartDemo();
  simulator->OrderFault({.kind = FaultKind::Mute, .unit = 2});
  simulator->OrderFault({.kind = FaultKind::DropReply, .count = 0, .unit = 9});
  EXPECT_EQ(client.Call(Hex("02 41")), std::nullopt);
  EXPECT_EQ(client.Call(Hex("09 41")), std::nullopt);
  EXPECT_EQ(client.Call(Hex("09 41")), std::nullopt);
  EXPECT_EQ(client.Call(Ping), PingReply);
  simulator->ClearFaults();
  EXPECT_EQ(client.Call(Hex("02 41")), Hex("02 42"));
}

TEST_F(FaultsTest, TheLinkVanishesInsteadOfTheOrderedReply) {
  StartDemo();
  simulator->OrderFault({.kind = FaultKind::Vanish, .after = 1});
  EXPECT_EQ(client.Call(Ping), PingReply);
  client.Send(TestClient::Framed(Ping));
  client.Wait(100);
  uint8_t byte;
  EXPECT_EQ(line.Tool().Read(&byte, 1), -1);
}

TEST(FaultOrderTest, CommandLineFormsAndTheirMistakes) {
  const struct {
    const char* text;
    FaultKind kind;
    int after, count, bytes;
    uint32_t speed;
  } good[] = {
      {"drop", FaultKind::DropReply, 0, 1, 1, 0},          {"drop:3@2", FaultKind::DropReply, 2, 3, 1, 0},
      {"corrupt:0", FaultKind::CorruptReply, 0, 0, 1, 0},  {"stray:4@1", FaultKind::StrayBytes, 1, 1, 4, 0},
      {"mute:921600@5", FaultKind::Mute, 5, 1, 1, 921600}, {"vanish@10", FaultKind::Vanish, 10, 1, 1, 0},
      {"refuse:2@3", FaultKind::RefuseWrite, 3, 2, 1, 0},  {"swap:0", FaultKind::SwapReads, 0, 0, 1, 0},
      {"flash@4", FaultKind::FlashFailure, 4, 1, 1, 0},
  };
  for (const auto& test : good) {
    FaultOrder order;
    std::string error;
    ASSERT_TRUE(ParseFaultOrder(test.text, order, error)) << test.text << ": " << error;
    EXPECT_EQ(order.kind, test.kind) << test.text;
    EXPECT_EQ(order.after, test.after) << test.text;
    EXPECT_EQ(order.count, test.count) << test.text;
    EXPECT_EQ(order.bytes, test.bytes) << test.text;
    EXPECT_EQ(order.speed, test.speed) << test.text;
  }
  for (const char* bad :
       {"", "explode", "drop:x", "drop:-1", "drop@", "stray:0", "stray:300", "vanish:3", "mute@1x", "flash:0",
        "flash:256", "refuse:y"}) {
    FaultOrder order;
    std::string error;
    EXPECT_FALSE(ParseFaultOrder(bad, order, error)) << bad;
    EXPECT_NE(error.find(std::string("fault '") + bad + "'"), std::string::npos) << error;
  }
  FaultOrder flash;
  std::string error;
  ASSERT_TRUE(ParseFaultOrder("flash:33", flash, error)) << error;
  EXPECT_EQ(flash.result, 33);
  ASSERT_TRUE(ParseFaultOrder("flash", flash, error)) << error;
  EXPECT_EQ(flash.result, 1);
}

TEST(FaultOrderTest, FlashFailureForms) {
  const struct {
    const char* text;
    uint32_t address;
    uint8_t result;
    int after;
  } good[] = {
      {"flashfail:0x6000", 0x6000, 1, 0},
      {"flashfail:24576:0x81", 0x6000, 0x81, 0},
      {"flashfail:0x1A006000:255@3", 0x1A006000, 255, 3},
  };
  for (const auto& test : good) {
    FaultOrder order;
    std::string error;
    ASSERT_TRUE(ParseFaultOrder(test.text, order, error)) << test.text << ": " << error;
    EXPECT_EQ(order.kind, FaultKind::FlashFail) << test.text;
    EXPECT_EQ(order.address, test.address) << test.text;
    EXPECT_EQ(order.result, test.result) << test.text;
    EXPECT_EQ(order.after, test.after) << test.text;
  }
  for (const char* bad : {"flashfail", "flashfail:", "flashfail:0x", "flashfail:6000x", "flashfail:0x6000:0",
                          "flashfail:0x6000:256", "flashfail:0x100000000", "flashfail:1:2:3"}) {
    FaultOrder order;
    std::string error;
    EXPECT_FALSE(ParseFaultOrder(bad, order, error)) << bad;
    EXPECT_NE(error.find(std::string("fault '") + bad + "'"), std::string::npos) << error;
  }
}

}  // namespace
