// The call convention and the procedures against a unit scripted byte by byte, for
// the replies a well-behaved unit never sends.
#include <gtest/gtest.h>

#include <functional>

#include "link/link_speed.h"
#include "protocol/identification.h"
#include "protocol/loader_procedures.h"
#include "protocol/remote_call.h"
#include "protocol/scripted_unit_fixture.h"
#include "protocol/speed_negotiation.h"
#include "protocol/unit_procedures.h"

namespace {

using Procedures = ScriptedUnit;

UnitInfo SoftwareUnit(int version = 610, int build = 57) {
  UnitInfo unit{};
  unit.unitmode = ModeSoftware;
  unit.SlaveAddress = 5;
  unit.softwareversion = static_cast<int16_t>(version);
  unit.softwarebuild = static_cast<int8_t>(build);
  unit.mcu = 6;
  return unit;
}

TEST_F(Procedures, AReplyEchoingAnotherProcedureIsAFailedAttempt) {
  answer = [](const Bytes& request) -> std::optional<Bytes> {
    Bytes reply = Echo(request, {0x02, 0x8D, 0x00, 0x05, 0x02, 0x62, 0x0C, 0x00});
    reply[3] = 0x11;  // 0x1011 instead of 0x1010
    return reply;
  };
  UnitInfo unit = SoftwareUnit();
  unit.cardnumber = 1;
  EXPECT_FALSE(ReadUnitInfo(unit));
  EXPECT_EQ(unit.cardnumber, 1) << "nothing is stored from a failed call";
  EXPECT_TRUE(Said("RPC: ReadUnitInfo\r\nFAILED\r\n"));
  EXPECT_EQ(requests.size(), 4u);

  answer = [](const Bytes& request) -> std::optional<Bytes> {
    return Echo(request, {0x02, 0x8D, 0x00, 0x05, 0x02, 0x62, 0x0C, 0x00});
  };
  ASSERT_TRUE(ReadUnitInfo(unit));
  EXPECT_EQ(unit.cardnumber, 653);
  EXPECT_EQ(unit.mcu, 6);
  EXPECT_EQ(unit.unittype, UnitDisplay);
  EXPECT_EQ(unit.buildincrement, 12);
  EXPECT_TRUE(Said("Card Number=653 KD6/KP6 Display\r\nMCU Type=6\r\nSoftware Version=6.10\r\nCOMPLETE\r\n"));
}

TEST_F(Procedures, LongCountedRepliesAreKeptWhole) {
  answer = [](const Bytes& request) -> std::optional<Bytes> {
    Bytes items;
    if (Code(request) == 0x1017) {
      items.push_back(101);
      for (int i = 0; i < 101; ++i) items.push_back(static_cast<uint8_t>(i + 1));
    } else {
      items.push_back(33);
      for (int i = 0; i < 33; ++i) items.insert(items.end(), {0x10, static_cast<uint8_t>(i)});
    }
    return Echo(request, items);
  };
  RemoteUnitList list{};
  EXPECT_TRUE(ListRemoteUnits(list));
  ASSERT_EQ(list.count, 101) << "a long list is kept whole";
  EXPECT_EQ(list.addresses[100], 101);
  EXPECT_TRUE(Said("COMPLETE: 101 unit(s) found\r\n"));

  DebugLogIds logs{};
  EXPECT_TRUE(GetDebugLogs(SoftwareUnit(), logs));
  ASSERT_EQ(logs.count, 33);
  EXPECT_EQ(logs.ids[32], 0x1020);
  EXPECT_EQ(requests.size(), 2u) << "both replies were read whole at the first attempt";
}

TEST_F(Procedures, PreconditionsThatNeedNoTraffic) {
  EXPECT_FALSE(IsVComPort(SoftwareUnit(605)));
  UnitInfo loader = SoftwareUnit();
  loader.unitmode = ModeBootLoader;
  EXPECT_FALSE(ReadAdvancedInfo(loader));
  UnitInfo old = SoftwareUnit(219);
  EXPECT_FALSE(ReadExtendedInfo(old));
  UnitInfo h8 = loader;
  h8.mcu = McuH8S2145;
  EXPECT_TRUE(GetProgrammerVersion(h8));
  EXPECT_TRUE(EraseRange(h8, 0, 100));
  EXPECT_TRUE(GetBufferSize(h8));
  EXPECT_EQ(h8.buffersize, 128);
  clock.Sleep(100'000);
  EXPECT_TRUE(requests.empty());
}

TEST_F(Procedures, ExtendedInfoAndItsText) {
  answer = [](const Bytes& request) -> std::optional<Bytes> {
    if (Code(request) == 0x1015) {
      Bytes fields = {26, 1, 0, 0, 0, 0, 0, 0, 0x00, 0x01, 0xE2, 0x40, 0, 0, 0, 0, 0, 0, 0,
                      26, 12, 24, 9, 30, 0, 7};
      return Echo(request, fields);
    }
    return Echo(request, {'A', '\n', 'B', 'C', '\t', 'D', '!'});
  };
  UnitInfo unit = SoftwareUnit();
  ASSERT_TRUE(ReadExtendedInfo(unit));
  EXPECT_EQ(unit.serialnumber, 123456);
  EXPECT_EQ(unit.buildtime[2], 24);
  EXPECT_EQ(unit.information, "A:BC:D!");
  EXPECT_TRUE(Said("Serial Number=123456\r\nCOMPLETE\r\nRPC: ReadInformationText\r\nInformation=A:BC:D!\r\n"));
}

TEST_F(Procedures, BootLoaderReleaseFallsBackToTheVersionByte) {
  UnitInfo unit{};
  unit.unitmode = ModeBootLoader;
  answer = [](const Bytes& request) -> std::optional<Bytes> {
    if (Code(request) == 0x1012) return Echo(request, {0x63});
    return std::nullopt;
  };
  LoaderAddress = 1;
  ASSERT_TRUE(ReadBootLoaderVersion(unit));
  EXPECT_FALSE(ReadBootLoaderRelease(unit));
  EXPECT_EQ(unit.mcu, 6);
  EXPECT_EQ(unit.bootversion, 3);
  EXPECT_EQ(unit.bootrelease, 3);
  EXPECT_TRUE(Said("MCUType=6 LPC4337\r\nBoot loader version=3\r\nBoot loader release=3\r\n"));
}

TEST_F(Procedures, WaitForUnitGivesUpAfterTenSeconds) {
  uint64_t start = clock.Now();
  EXPECT_FALSE(WaitForUnit(SoftwareUnit()));
  EXPECT_GE(clock.Now() - start, 10'000'000u);
  EXPECT_LT(clock.Now() - start, 11'000'000u);
  EXPECT_TRUE(Said("Waiting for unit...\r\n"));

  int polls = 0;
  answer = [&](const Bytes& request) -> std::optional<Bytes> {
    return Echo(request, {static_cast<uint8_t>(++polls >= 3)});
  };
  EXPECT_TRUE(WaitForUnit(SoftwareUnit()));
  EXPECT_EQ(polls, 3);
}

// A unit that switches to the speed it is asked for, after its reply has left. A deaf
// one cannot hold the new speed (a link that does not carry it) and goes to 115200
// instead.
// A stop request (SIGTERM, a closed window) while a silent unit is retried: no request
// goes out after it, so the program ends within the one time-out already running.
TEST_F(Procedures, AStopRequestEndsTheAttemptsOfACall) {
  struct Case {
    const char* name;
    std::function<bool()> call;
  };
  UnitInfo unit = SoftwareUnit();
  UnitInfo loader = unit;
  loader.unitmode = ModeBootLoader;
  RemoteUnitList list{};
  DebugLogIds logs{};
  uint8_t result = 0;
  const Case cases[] = {
      {"ReadUnitInfo", [&] { return ReadUnitInfo(unit); }},
      {"ReadAdvancedInfo", [&] { return ReadAdvancedInfo(unit); }},
      {"GotoBootLoader", [] { return GotoBootLoader(); }},
      {"ListRemoteUnits", [&] { return ListRemoteUnits(list); }},
      {"ResetSystem", [&] { return ResetSystem(unit); }},
      {"GetDebugLogs", [&] { return GetDebugLogs(unit, logs); }},
      {"TransferToRamProgram", [] { return TransferToRamProgram(0x40000200); }},
      {"EraseFMS", [&] { return EraseFMS(loader, 1, result); }},
      {"SetUnitBaudRate", [&] { return SetUnitBaudRate(unit, 115200); }},
      {"SetProgrammerBaudRate", [&] { return SetProgrammerBaudRate(loader, 115200, false); }},
  };
  for (const Case& c : cases) {
    requests.clear();
    size_t sentBeforeStop = 0;
    clock.Schedule(clock.Now() + 20'000, [&] {
      sentBeforeStop = requests.size();
      ExitRequested = true;
    });
    EXPECT_FALSE(c.call()) << c.name;
    EXPECT_GE(sentBeforeStop, 1u) << c.name;
    EXPECT_EQ(requests.size(), sentBeforeStop) << c.name << ": attempts after the stop";
    ExitRequested = false;
  }
}

class SpeedChangingUnit : public ScriptedUnit {
 protected:
  void SetUp() override {
    ScriptedUnit::SetUp();
    answer = [this](const Bytes& request) -> std::optional<Bytes> {
      if (request[1] == 0x41) return Bytes{request[0], 0x42};
      if (Code(request) != 0x1030) return std::nullopt;
      uint32_t speed = static_cast<uint32_t>(request[4] << 24 | request[5] << 16 | request[6] << 8 | request[7]);
      asked.push_back(speed);
      clock.Schedule(clock.Now() + 20'000, [this, speed] {
        bool holds = !deafAtNewSpeed || speed == 115200;
        peer().Configure(LineSettings{holds ? speed : 115200, 2, false, false, false});
      });
      return Echo(request, {});
    };
  }
  std::vector<uint32_t> asked;
  bool deafAtNewSpeed = false;
};

TEST_F(SpeedChangingUnit, SpeedCapsAndTheTable) {
  struct Case {
    int version, build;
    int8_t mcu;
    uint32_t speed, asked;
  };
  const Case cases[] = {
      {606, 34, 6, 460800, 230400}, {606, 35, 6, 460800, 460800}, {610, 0, 2, 921600, 115200},
      {610, 0, 6, 0, 115200},       {610, 0, 6, 14400, 115200},
  };
  for (const Case& c : cases) {
    ChangePacketBaudRate(19200, false, 100, false);
    peer().Configure(LineSettings{19200, 2, false, false, false});
    asked.clear();
    console.Clear();
    UnitInfo unit = SoftwareUnit(c.version, c.build);
    unit.mcu = c.mcu;
    ASSERT_TRUE(SetUnitBaudRate(unit, c.speed)) << c.speed << console.Text();
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), c.asked) << c.version << "r" << c.build << " " << c.speed;
    EXPECT_EQ(BaudRate, c.asked);
    EXPECT_EQ(Said("specified"), c.speed != 0);
  }
  EXPECT_TRUE(Said("Unknown baudrate: 14400\r\nAvailable baudrates are: 9600 19200 38400 57600 115200 230400 "
                   "460800 921600\r\nUsing 115200\r\n"));
}

TEST_F(SpeedChangingUnit, NoAnswerAtTheNewSpeedFallsBackTo115200) {
  deafAtNewSpeed = true;
  ASSERT_TRUE(SetUnitBaudRate(SoftwareUnit(), 460800));
  EXPECT_TRUE(Said("-- could not connect at 460800 - falling back to 115200\r\n"));
  EXPECT_EQ(BaudRate, 115200u);
  EXPECT_EQ(asked.back(), 115200u);
}

TEST_F(Procedures, ProgrammerSpeedSendsTheTableIndex) {
  std::vector<Bytes> asked;
  answer = [&](const Bytes& request) -> std::optional<Bytes> {
    asked.push_back(request);
    return Echo(request, {});
  };
  LoaderAddress = 1;
  UnitInfo unit{};
  unit.unitmode = ModeProgrammer;
  unit.mcu = 6;
  unit.bootrelease = 11;
  ASSERT_TRUE(SetProgrammerBaudRate(unit, 128000, true));
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back(), (Bytes{1, 0x45, 0x10, 0x23, 6}));
  EXPECT_EQ(BaudRate, 128000u);

  ChangePacketBaudRate(19200, false, 100, false);
  unit.bootrelease = 10;
  asked.clear();
  ASSERT_TRUE(SetProgrammerBaudRate(unit, 128000, false));
  EXPECT_TRUE(Said("Unknown baudrate: 128000"));
  EXPECT_EQ(asked.back(), (Bytes{1, 0x45, 0x10, 0x90, 5}));
  EXPECT_EQ(BaudRate, 115200u);
}

}  // namespace
