#include "sim/test_client.h"
#include "testing/pseudorandom.h"

namespace {

using IdentificationTest = SimulatorTest;

// Each identification call of the demo system, and its reply as the wire format lays
// it out from the demo's description (KD6 at address 5: card 653, circuit 2,
// revision B3, software 6.12r41, build increment 7, serial 2318842, ...).
struct Exchange {
  const char* what;
  const char* request;
  const char* reply;
};

const Exchange DemoExchanges[] = {
    {"ping on the probe address", "F0 41", "F0 42"},
    {"ping on its own address", "05 41", "05 42"},
    {"GetModbusAddress", "F0 45 10 1B", "F0 45 10 1B 05"},
    {"ReadUnitInfo: build increment and build from 6.00 on", "05 45 10 10",
     "05 45 10 10 02 8D 00 02 02 64 07 29"},
    {"ReadAdvancedInfo", "05 45 10 14",
     "05 45 10 14 23 00 06 02 12 02 8D 00 02 02 03 02 64 29 07 18 05 11 09 1E 00 5C 3A 91 E4 7B 12 00 23 61 "
     "FA 00 3D 05 01"},
    {"ReadExtendedInfo", "05 45 10 15",
     "05 45 10 15 1A 01 00 00 00 00 00 00 00 23 61 FA 00 00 00 00 00 00 00 18 05 11 09 1E 00 10"},
    {"ReadInformationText", "05 45 10 16", "05 45 10 16 53 69 6C 6F 20 33 20 64 69 73 63 68 61 72 67 65"},
    {"IsVComPort", "05 45 10 1C", "05 45 10 1C 00"},
    {"wait for unit", "05 45 10 33", "05 45 10 33 01"},
    {"GetDebugLogs", "05 45 10 34", "05 45 10 34 02 03 01 03 02"},
    {"ListRemoteUnits", "05 45 10 17", "05 45 10 17 02 02 09"},
    {"ReadUnitInfo of the transmitter behind it", "02 45 10 10", "02 45 10 10 02 93 00 01 02 64 07 29"},
    {"ReadUnitInfo of the remote I/O unit", "09 45 10 10", "09 45 10 10 02 89 00 03 02 60 03 0C"},
    {"ping of a remote unit", "09 41", "09 42"},
    {"ListRemoteUnits asked of a remote unit", "02 45 10 17", "02 45 10 17 02 05 09"},
};

TEST_F(IdentificationTest, TheTestsFrameAsTheWireDoes) {
  EXPECT_EQ(TestClient::Framed(Hex("01 45 10 1B")), Hex("01 45 10 1B 5D C6"));
}

TEST_F(IdentificationTest, TheDemoSystemAnswersWithItsConfiguredValues) {
  StartDemo();
  for (const Exchange& exchange : DemoExchanges) {
    std::optional<Body> reply = client.Call(Hex(exchange.request));
    ASSERT_TRUE(reply) << exchange.what;
    EXPECT_EQ(*reply, Hex(exchange.reply)) << exchange.what;
  }
}

TEST_F(IdentificationTest, SoftwareBeforeSixAnswersTheProductAndOnlyWhatItKnows) {
  StartText("[unit 3]\nCard = 647\nCircuit = 4\nSoftware = 5.90r02\nProduct = 1234\n");
  EXPECT_EQ(client.Call(Hex("03 45 10 10")), Hex("03 45 10 10 02 87 00 04 02 4E 04 D2"));
  EXPECT_EQ(client.Call(Hex("03 45 10 15")).value_or(Body{}).size(), 30u);
  // Procedures of later software get no answer at all.
  for (const char* request : {"03 45 10 14", "03 45 10 1C", "03 45 10 33", "03 45 10 30 00 01 C2 00"}) {
    EXPECT_EQ(client.Call(Hex(request)), std::nullopt) << request;
  }
}

TEST_F(IdentificationTest, IsVComPortArrivedAfterSixOhFive) {
  StartText("[unit 3]\nCard = 653\nSoftware = 6.05\nVirtualComPort = yes\n");
  EXPECT_EQ(client.Call(Hex("03 45 10 1C")), std::nullopt);
  StartText("[unit 3]\nCard = 653\nSoftware = 6.06\nVirtualComPort = yes\n");
  EXPECT_EQ(client.Call(Hex("03 45 10 1C")), Hex("03 45 10 1C 01"));
}

TEST_F(IdentificationTest, AnInformationTextKeepsItsControlCharacters) {
  StartText("[unit 3]\nCard = 653\nSoftware = 6.12\nInformation = Line 1\\nLine 2\n");
  EXPECT_EQ(client.Call(Hex("03 45 10 16")), Hex("03 45 10 16 4C 69 6E 65 20 31 0A 4C 69 6E 65 20 32"));
}

TEST_F(IdentificationTest, WhatIsNotAProperRequestGetsNoReply) {
  StartDemo();
  Body readUnitInfo = TestClient::Framed(Hex("05 45 10 10"));
  Body badCrc = readUnitInfo;
  badCrc.back() ^= 0x01;
  client.Send(badCrc);
  EXPECT_TRUE(client.Receive().empty()) << "a wrong CRC";
  EXPECT_EQ(client.Call(Hex("05 45 10 99")), std::nullopt) << "an unknown procedure";
  EXPECT_EQ(client.Call(Hex("05 45 10 10 00")), std::nullopt) << "arguments the procedure does not take";
  EXPECT_EQ(client.Call(Hex("05 43 10 10")), std::nullopt) << "an unknown function";
  EXPECT_EQ(client.Call(Hex("07 45 10 10")), std::nullopt) << "an address where there is no unit";
  EXPECT_EQ(client.Call(Hex("01 45 10 12")), std::nullopt)
      << "the boot loader's address while the software runs";
  // Garbage and a proper request run together end up as one request that fails its CRC.
  Body joined = Hex("55 AA");
  joined.insert(joined.end(), readUnitInfo.begin(), readUnitInfo.end());
  client.Send(joined);
  EXPECT_TRUE(client.Receive().empty());
  EXPECT_TRUE(client.Call(Hex("05 45 10 10"))) << "still listening";
}

// Requests with a length header (the file blocks) may follow each other without a
// pause; each is answered in the same framing.
TEST_F(IdentificationTest, RequestsWithALengthHeaderAreAnsweredWithOneAndNeedNoPause) {
  StartDemo();
  auto withHeader = [](const Body& body) {
    Body frame = TestClient::Framed(body);
    frame.insert(frame.begin(), {0xF1, static_cast<uint8_t>(frame.size())});
    return frame;
  };
  Body requests = withHeader(Hex("05 45 10 1B"));
  Body second = withHeader(Hex("05 45 10 1C"));
  requests.insert(requests.end(), second.begin(), second.end());
  client.Send(requests);
  Body expected = withHeader(Hex("05 45 10 1B 05"));
  Body secondReply = withHeader(Hex("05 45 10 1C 00"));
  expected.insert(expected.end(), secondReply.begin(), secondReply.end());
  EXPECT_EQ(client.Receive(), expected);
}

TEST_F(IdentificationTest, TheUnitHearsOnlyAtItsOwnSpeedAndParity) {
  StartText("[unit 4]\nCard = 659\nSoftware = 6.12\nSpeed = 38400\nParity = even\n");
  struct Case {
    uint32_t baud;
    bool even;
    bool answered;
  } cases[] = {{19200, false, false}, {38400, false, false}, {9600, true, false}, {38400, true, true}};
  for (const Case& line : cases) {
    client.SetSpeed(line.baud, line.even);
    EXPECT_EQ(client.Call(Hex("F0 41")).has_value(), line.answered)
        << line.baud << (line.even ? " even" : "");
  }
}

// Whatever arrives, garbage or well-framed requests with any code and any arguments,
// the simulator neither crashes nor stops listening.
TEST_F(IdentificationTest, ArbitraryTrafficLeavesTheUnitListening) {
  StartDemo();
  Pseudorandom random;
  const uint8_t addresses[] = {5, 0xF0, 1, 2, 9, 7};
  for (int burst = 0; burst < 400; ++burst) {
    Body bytes;
    if (random.OneIn(2)) {
      for (uint64_t i = random.Below(40); i > 0; --i) bytes.push_back(random.Byte());
    } else {
      bytes = {addresses[random.Below(6)], random.OneIn(3) ? random.Byte() : uint8_t{0x45}, 0x10, random.Byte()};
      bytes.resize(random.OneIn(5) ? random.Below(4) : 4 + random.Below(9));
      bytes = TestClient::Framed(bytes);
    }
    if (random.OneIn(4)) bytes.insert(bytes.begin(), {0xF1, static_cast<uint8_t>(bytes.size())});
    client.Send(bytes);
    client.Wait(random.Below(30));
  }
  client.Wait(10'000);
  simulator->SetProgram(5, Program::Software);
  client.Receive();
  EXPECT_EQ(client.Call(Hex("05 41")), Hex("05 42"));
}

}  // namespace
