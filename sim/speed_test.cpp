#include "sim/test_client.h"

namespace {

using SpeedTest = SimulatorTest;

Body SetUnitSpeed(uint8_t address, uint32_t speed) {
  return Procedure(address, 0x1030,
                   {static_cast<uint8_t>(speed >> 24), static_cast<uint8_t>(speed >> 16),
                    static_cast<uint8_t>(speed >> 8), static_cast<uint8_t>(speed)});
}

TEST_F(SpeedTest, TheUnitAnswersAtItsOldSpeedAndThenListensAtTheNewOne) {
  StartDemo();
  EXPECT_EQ(client.Call(SetUnitSpeed(5, 115200)), Procedure(5, 0x1030));
  EXPECT_EQ(client.Call(Hex("05 41")), std::nullopt);
  client.SetSpeed(115200);
  EXPECT_EQ(client.Call(Hex("05 41")), Hex("05 42"));
  client.Wait(5000);
  EXPECT_EQ(client.Call(Hex("05 41")), Hex("05 42")) << "heard at the new speed, it keeps it";
  EXPECT_EQ(simulator->Unit(5)->listening.baud, 115200u);
}

TEST_F(SpeedTest, UnheardAtTheNewSpeedTheUnitFallsBackTo115200) {
  StartDemo();
  simulator->OrderFault({.kind = FaultKind::Mute, .speed = 921600});
  EXPECT_EQ(client.Call(SetUnitSpeed(5, 921600)), Procedure(5, 0x1030));
  client.SetSpeed(921600);
  for (int ping = 0; ping < 4; ++ping) EXPECT_EQ(client.Call(Hex("05 41")), std::nullopt);
  client.Wait(2000);
  client.SetSpeed(115200);
  EXPECT_EQ(client.Call(SetUnitSpeed(5, 115200)), Procedure(5, 0x1030));
  EXPECT_EQ(client.Call(Hex("05 41")), Hex("05 42"));
}

TEST_F(SpeedTest, SpeedsOutsideTheTableOrBeyondTheUnitAreRefused) {
  const struct {
    const char* unit;
    uint32_t speed;
    bool answered;
  } cases[] = {
      {"Card = 653\nSoftware = 6.06r34", 230400, true}, {"Card = 653\nSoftware = 6.06r34", 460800, false},
      {"Card = 653\nSoftware = 6.06r35", 460800, true}, {"Card = 653\nSoftware = 6.12", 921600, true},
      {"Card = 620\nSoftware = 6.10", 115200, true},    {"Card = 620\nSoftware = 6.10", 230400, false},
      {"Card = 653\nSoftware = 6.12", 14400, false},
  };
  for (const auto& test : cases) {
    StartText(std::string("[unit 5]\n") + test.unit + "\n");
    EXPECT_EQ(client.Call(SetUnitSpeed(5, test.speed)).has_value(), test.answered)
        << test.unit << " " << test.speed;
    EXPECT_EQ(simulator->Unit(5)->listening.baud, test.answered ? test.speed : 19200u) << test.unit;
  }
}

TEST_F(SpeedTest, ARestartForgetsTheSpeedChange) {
  StartDemo();
  client.Call(SetUnitSpeed(5, 57600));
  client.SetSpeed(57600);
  EXPECT_EQ(client.Call(Hex("05 45 10 32")), Hex("05 45 10 32"));
  client.Wait(2000);
  EXPECT_EQ(client.Call(Hex("05 41")), std::nullopt);
  client.SetSpeed(19200);
  EXPECT_EQ(client.Call(Hex("05 41")), Hex("05 42"));
}

// The boot loader takes a table index, not a speed: boot loaders before release 15
// count 128000 among their speeds.
TEST_F(SpeedTest, TheBootLoaderChangesToTheSpeedOfTheIndexInItsTable) {
  const struct {
    int release;
    const char* request;
    uint32_t speed;  // 0: refused
  } cases[] = {
      {18, "01 45 10 23 06", 230400}, {18, "01 45 10 23 08", 921600}, {18, "01 45 10 23 09", 0},
      {12, "01 45 10 23 06", 128000}, {12, "01 45 10 23 09", 921600}, {9, "01 45 10 90 05", 115200},
      {9, "01 45 10 90 00", 0},
  };
  for (const auto& test : cases) {
    StartText("[unit 5]\nCard = 653\nSoftware = 6.12\nProgram = bootloader\nBootLoaderRelease = " +
              std::to_string(test.release) + "\n");
    client.SetSpeed(9600);
    Body request = Hex(test.request);
    std::optional<Body> reply = client.Call(request);
    ASSERT_EQ(reply.has_value(), test.speed != 0) << test.request;
    if (!reply) continue;
    EXPECT_EQ(*reply, Body(request.begin(), request.begin() + 4));
    client.SetSpeed(test.speed);
    EXPECT_EQ(client.Call(Hex("01 41")), Hex("01 42")) << test.request;
  }
}

}  // namespace
