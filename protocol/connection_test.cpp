// Discovery and connection against the simulated demo system: a KD6 display at
// address 5 on the port, a KT7 transmitter at 2 and a KR5 at 9 behind it. The
// minute-long waits run in virtual time.
#include "protocol/connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "link/link_speed.h"
#include "link/simulated_link_fixture.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "protocol/remote_call.h"
#include "protocol/unit_procedures.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "sim/demo_system.h"

namespace {

class DemoSystemLink : public SimulatedLink {
 protected:
  void SetUp() override {
    SimulatedLink::SetUp();
    Start(DemoSystem());
    realStart = std::chrono::steady_clock::now();
  }
  void TearDown() override {
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(20));
    SimulatedLink::TearDown();
  }
  // Finds and connects to the unit on the port, as the main window does.
  UnitInfo FoundAndConnected() {
    UnitInfo unit{};
    EXPECT_TRUE(FindUnitOnPort(unit));
    EXPECT_TRUE(Connect(unit));
    return unit;
  }

  std::chrono::steady_clock::time_point realStart;
};

TEST_F(DemoSystemLink, FindsConnectsAndListsTheSystem) {
  UnitInfo unit = FoundAndConnected();
  EXPECT_EQ(unit.unitmode, ModeSoftware);
  EXPECT_EQ(unit.SlaveAddress, 5);
  EXPECT_EQ(LocalUnitAddress, 5);
  EXPECT_EQ(unit.cardnumber, 653);
  EXPECT_EQ(unit.mcu, 6);
  EXPECT_EQ(unit.softwareversion, 612);
  EXPECT_TRUE(RelayCapable);
  EXPECT_EQ(BaudRate, 19200u);
  EXPECT_EQ(PacketTimeout, LongPacketTimeout);

  ASSERT_TRUE(ReadExtendedInfo(unit));
  EXPECT_EQ(unit.serialnumber, 2318842);
  EXPECT_EQ(unit.information, "Silo 3 discharge");
  ASSERT_TRUE(ReadAdvancedInfo(unit));
  EXPECT_EQ(unit.ModbusAddress, 5);
  EXPECT_EQ(unit.bootrelease, 18);
  EXPECT_EQ(unit.checksum, 0x5C3A91E4u);

  RemoteUnitList list{};
  ASSERT_TRUE(ListRemoteUnits(list));
  ASSERT_EQ(list.count, 2);
  EXPECT_EQ(list.addresses[0], 2);
  EXPECT_EQ(list.addresses[1], 9);

  UnitInfo transmitter{};
  transmitter.unitmode = ModeSoftware;
  transmitter.SlaveAddress = 2;
  ASSERT_TRUE(ReadUnitInfo(transmitter));
  EXPECT_EQ(transmitter.cardnumber, 659);
}

TEST_F(DemoSystemLink, SilentSoftwareIsCaughtInItsBootLoaderAfterAPowerCycle) {
  UnitInfo unit{};
  ASSERT_TRUE(FindUnitOnPort(unit));
  simulator->OrderFault({.kind = FaultKind::Mute, .unit = 5});
  // The operator switches the unit off and on half a minute into the wait.
  clock.Schedule(clock.Now() + 30'000'000, [this] {
    simulator->ClearFaults();
    simulator->PowerCycle(5);
  });
  ASSERT_TRUE(Connect(unit));
  EXPECT_EQ(unit.unitmode, ModeBootLoader);
  EXPECT_EQ(unit.SlaveAddress, 1);
  EXPECT_TRUE(Said("Attempting to connect to boot loader, please turn the unit power off and on now\r\n"));
  EXPECT_TRUE(Said("-- Found Unit (velantor boot loader)\r\n"));
  EXPECT_EQ(unit.bootrelease, 18);
}

TEST_F(DemoSystemLink, UpdatePreparationPutsTheUnitIntoItsBootLoader) {
  UnitInfo unit = FoundAndConnected();
  ASSERT_TRUE(InitialiseForUpdate(unit));
  EXPECT_EQ(unit.unitmode, ModeBootLoader);
  EXPECT_EQ(unit.buffersize, 4096);
  EXPECT_EQ(simulator->Unit(5)->program, Program::BootLoader);
  EXPECT_TRUE(Said("RPC: GotoBootLoader\r\nCOMPLETE\r\n"));
}

TEST_F(DemoSystemLink, ReconnectAfterARestart) {
  UnitInfo unit = FoundAndConnected();
  ASSERT_TRUE(ResetUnit(unit));
  EXPECT_EQ(unit.unitmode, ModeUnknown);
  ASSERT_TRUE(Reconnect(unit));
  EXPECT_EQ(unit.unitmode, ModeSoftware);
  EXPECT_EQ(unit.serialnumber, 2318842);

  UnitInfo remote{};
  remote.unitmode = ModeSoftware;
  remote.SlaveAddress = 2;
  ASSERT_TRUE(ReadUnitInfo(remote));
  ASSERT_TRUE(ResetUnit(remote));
  EXPECT_EQ(remote.unitmode, ModeSoftware) << "a unit behind the local one stays reachable";
  ASSERT_TRUE(Reconnect(remote));
  EXPECT_EQ(remote.SlaveAddress, 2);
  EXPECT_EQ(remote.cardnumber, 659);
}

// A unit that does not come back after its restart: a stop request ends the search
// for it within a reply time or two, not at the end of the search.
TEST_F(DemoSystemLink, AStopEndsTheSearchForARestartedUnit) {
  UnitInfo unit = FoundAndConnected();
  ASSERT_TRUE(ResetUnit(unit));
  simulator->OrderFault({.kind = FaultKind::Mute});
  uint64_t stop = clock.Now() + 2'000'000;
  clock.Schedule(stop, [] { ExitRequested = true; });
  EXPECT_FALSE(Reconnect(unit));
  EXPECT_LT(clock.Now() - stop, 1'500'000u) << "virtual microseconds after the stop";
  ExitRequested = false;
}

TEST_F(DemoSystemLink, FlakyRepliesAreRepeated) {
  UnitInfo unit = FoundAndConnected();
  simulator->OrderFault({.kind = FaultKind::StrayBytes, .count = 2, .bytes = 1});
  simulator->OrderFault({.kind = FaultKind::DropReply, .after = 2});
  ASSERT_TRUE(ReadUnitInfo(unit));
  ASSERT_TRUE(ReadExtendedInfo(unit));
  EXPECT_EQ(unit.serialnumber, 2318842);
}

// Systems of their own for the cases the demo does not have.
using SystemLink = SimulatedLink;

constexpr std::string_view DisplayAt5 =
    "[unit 5]\nAttached = yes\nCard = 653\nSoftware = 6.12r41\nSerialNumber = 100\n"
    "BootLoaderSpeed = 115200\nBootLoaderVersion = 2\nBootLoaderRelease = 18\n";

TEST_F(SystemLink, APowerCycledUnitIsCaughtAt115200WhenItsBootLoaderRunsThere) {
  Start(DisplayAt5);
  UnitInfo unit{};
  ASSERT_TRUE(FindUnitOnPort(unit));
  simulator->OrderFault({.kind = FaultKind::Mute, .unit = 5});
  // Switched off and on once the minute of calls at 9600 (and their line time) is over.
  clock.Schedule(clock.Now() + 80'000'000, [this] {
    simulator->ClearFaults();
    simulator->PowerCycle(5);
  });
  ASSERT_TRUE(Connect(unit));
  EXPECT_EQ(unit.unitmode, ModeBootLoader);
  EXPECT_EQ(BaudRate, 115200u);
  EXPECT_TRUE(Said("Attempting to connect to boot loader at 115200 baud, please turn the unit power off and on now\r\n"));
}

TEST_F(SystemLink, TheTestJigsControlDisplayIsPassedOver) {
  Start(std::string(DisplayAt5) +
        "[unit 7]\nCard = 653\nSoftware = 6.12r41\nSerialNumber = 200\n"
        "[unit 60]\nCard = 653\nSoftware = 6.12r41\nSerialNumber = 300\n");
  UnitInfo unit = {};
  ASSERT_TRUE(FindUnitOnPort(unit));
  UnitInfo remote{};
  remote.unitmode = ModeSoftware;
  remote.SlaveAddress = 8;  // the display came back at another address
  remote.unittype = UnitDisplay;
  remote.mcu = 6;
  remote.serialnumber = 200;
  ASSERT_TRUE(Reconnect(remote));
  EXPECT_EQ(remote.SlaveAddress, 7);
  EXPECT_TRUE(Said("-- TestJig control display (ignored)\r\n"));
  EXPECT_TRUE(Said("-- found matching unit: 7\r\n"));
}

using SystemLinkDeathTest = SystemLink;

TEST_F(SystemLinkDeathTest, TwoMatchingUnitsEndTheUpdate) {
  Start(std::string(DisplayAt5) + "[unit 2]\nCard = 659\nSoftware = 6.12r41\n"
                                  "[unit 3]\nCard = 659\nSoftware = 6.12r41\n");
  UnitInfo unit = {};
  ASSERT_TRUE(FindUnitOnPort(unit));
  UnitInfo remote{};
  remote.unitmode = ModeSoftware;
  remote.SlaveAddress = 4;
  remote.unittype = UnitTransmitter;
  remote.mcu = 6;
  EXPECT_EXIT(
      {
        InstallConsoleSink([](uint8_t c) { std::fputc(c, stderr); });
        Reconnect(remote);
      },
      ::testing::ExitedWithCode(1),
      "Found more than one unit that matches the product type, unable to complete update");
}

}  // namespace
