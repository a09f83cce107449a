// What discovery finds on a port, against units scripted to answer one way only.
#include "protocol/discovery.h"

#include <gtest/gtest.h>

#include <string>

#include "link/link_speed.h"
#include "link/packet.h"
#include "protocol/remote_call.h"
#include "protocol/scripted_unit_fixture.h"
#include "runtime/user_settings.h"
#include "testing/saved_variable.h"
#include "testing/settings_sandbox.h"
#include "testing/temporary_folder.h"

namespace {

class Discovery : public ScriptedUnit {
 protected:
  void UnitSoftwareAt(uint32_t speed, bool answersModbusAddress = true) {
    peer().Configure(LineSettings{speed, 2, false, false, false});
    answer = [answersModbusAddress](const Bytes& request) -> std::optional<Bytes> {
      if (request[0] != 0xF0 && request[0] != 5) return std::nullopt;
      if (request[1] == 0x41) return Bytes{request[0], 0x42};
      if (Code(request) == 0x101B && answersModbusAddress) return Echo(request, {5});
      return std::nullopt;
    };
  }
  TemporaryFolder config{"discovery"};
  SettingsSandbox settings{config.Path()};
  SavedVariable portList{"VELANTORPORTLIST"};
  SavedVariable port{"VELANTORPORT"};
};

TEST_F(Discovery, UnitSoftwareAnsweringOnlyAt38400IsFoundOnTheFifthAttempt) {
  UnitSoftwareAt(38400);
  UnitInfo unit{};
  ASSERT_TRUE(FindUnitOnPort(unit));
  EXPECT_EQ(unit.unitmode, ModeSoftware);
  EXPECT_EQ(unit.SlaveAddress, 5);
  EXPECT_EQ(LocalUnitAddress, 5);
  EXPECT_EQ(BaudRate, 38400u);
  int pings = 0;
  for (const Bytes& request : requests) pings += request.size() == 2 && request[1] == 0x41;
  EXPECT_EQ(pings, 1) << "only the fifth ping was heard";
  EXPECT_TRUE(Said("Unit ID=F0\r\n"));
  EXPECT_TRUE(Said("-- found unit ($F0)\r\n"));
  EXPECT_TRUE(Said("COMPLETE: ModbusAddress=5 (05)\r\n"));

  // The speed found is the saved connection speed.
  ChangePacketBaudRate(9600, false, 100, false);
  RestoreConnectionBaudRate(100);
  EXPECT_EQ(BaudRate, 38400u);
}

TEST_F(Discovery, NoAnswerAtAnySpeedAndAPingWithoutAddress) {
  UnitInfo unit{};
  uint64_t start = clock.Now();
  EXPECT_FALSE(FindUnitOnPort(unit));
  EXPECT_EQ(unit.unitmode, ModeUnknown);
  EXPECT_TRUE(Said("-- unable to find unit\r\n"));
  EXPECT_LT(clock.Now() - start, 2'000'000u);

  UnitSoftwareAt(19200, false);
  ASSERT_TRUE(FindUnitOnPort(unit));
  EXPECT_EQ(unit.unitmode, ModeSoftware);
  EXPECT_EQ(unit.SlaveAddress, 0xF0);
  EXPECT_EQ(LocalUnitAddress, 0xF0);
}

TEST_F(Discovery, BootLoaderAt115200) {
  peer().Configure(LineSettings{115200, 2, false, false, false});
  answer = [](const Bytes& request) -> std::optional<Bytes> {
    if (request[0] == 1 && Code(request) == 0x1012) return Echo(request, {0x63});
    return std::nullopt;
  };
  UnitInfo unit{};
  ASSERT_TRUE(FindUnitOnPort(unit));
  EXPECT_EQ(unit.unitmode, ModeBootLoader);
  EXPECT_EQ(unit.SlaveAddress, 1);
  EXPECT_EQ(unit.bootid, 0x63);
  EXPECT_TRUE(Said("-- found unit (velantor boot loader)\r\n"));
}

TEST_F(Discovery, BlankLpcChipAnswersTheBootRomHandshake) {
  peer().Configure(LineSettings{115200, 2, false, false, false});
  std::string heard;
  raw = [&](uint8_t byte) {
    heard += static_cast<char>(byte);
    auto reply = [&](const char* text) {
      PeerSends(Bytes(text, text + std::char_traits<char>::length(text)));
      heard.clear();
    };
    if (heard == "?") reply("Synchronized\r\n");
    if (heard == "Synchronized\r\n") reply("Synchronized\r\nOK\r\n");
  };
  UnitInfo unit{};
  ASSERT_TRUE(FindUnitOnPort(unit));
  EXPECT_EQ(unit.unitmode, ModeBootRom);
  EXPECT_TRUE(Said("-- LPC chip firmware found\r\n"));
  EXPECT_TRUE(Said("-- synchronization succeeded\r\n"));
  ChangePacketBaudRate(9600, false, 100, false);
  RestoreConnectionBaudRate(100);
  EXPECT_EQ(BaudRate, 115200u);
}

// An adapter pulled during the boot ROM handshake: the reason, on a line of its own.
TEST_F(Discovery, ALinkThatVanishesDuringTheBootRomHandshakeEndsItsLine) {
  peer().Configure(LineSettings{115200, 2, false, false, false});
  raw = [&](uint8_t byte) {
    if (byte == '?') line.Unplug();
  };
  UnitInfo unit{};
  EXPECT_FALSE(FindUnitOnPort(unit));
  EXPECT_TRUE(Said("[ERROR]Error: Input/output error\r\n")) << console.Text();
}

TEST_F(Discovery, ARawReadOfASilentLineCostsItsTimeOutAndNoMore) {
  PacketTimeout = 100;
  uint8_t buffer[80];
  uint64_t start = clock.Now();
  EXPECT_EQ(ReadRawBlock(buffer, sizeof buffer), 0);
  EXPECT_GE(clock.Now() - start, 100'000u);
  EXPECT_LE(clock.Now() - start, 101'000u);
}

TEST_F(Discovery, EnvironmentPortList) {
  ClosePort();
  AttachVirtualLine(1, nullptr);
  AttachVirtualLine(5, &line);
  UnitSoftwareAt(19200);
  struct Case {
    const char* list;
    const char* single;
    bool found;
    int port;
  };
  const Case cases[] = {
      {"com3; COM5", nullptr, true, 5},
      {"3,5", nullptr, true, 5},
      {"COMX,5", nullptr, false, 0},
      {nullptr, "5", true, 5},
      {"3", "5", false, 0},
  };
  for (const Case& c : cases) {
    if (c.list != nullptr) portList.Set(c.list);
    else portList.Unset();
    if (c.single != nullptr) port.Set(c.single);
    else port.Unset();
    console.Clear();
    UnitInfo unit{};
    EXPECT_EQ(SearchEnvironmentPorts(unit), c.found) << (c.list ? c.list : c.single);
    if (c.found) {
      EXPECT_EQ(PortNumber, c.port);
      EXPECT_TRUE(IsPortOpen());
    } else {
      EXPECT_FALSE(IsPortOpen());
    }
    ClosePort();
  }
  AttachVirtualLine(5, nullptr);
}

TEST_F(Discovery, AllPortsRememberTheUnitsPort) {
  ClosePort();
  AttachVirtualLine(1, nullptr);
  AttachVirtualLine(4, &line);
  UnitSoftwareAt(19200);
  UnitInfo unit{};
  ASSERT_TRUE(SearchAllPorts(unit));
  EXPECT_EQ(PortNumber, 4);
  EXPECT_EQ(ReadUserSetting(CommPortSetting), "4");
  EXPECT_TRUE(Said("COM4 opened\r\n"));
  ClosePort();

  // A remembered port is tried first, and finding the unit there writes nothing.
  WriteUserSetting(CommPortSetting, "7");
  AttachVirtualLine(4, nullptr);
  AttachVirtualLine(7, &line);
  console.Clear();
  ASSERT_TRUE(SearchAllPorts(unit));
  EXPECT_EQ(PortNumber, 7);
  EXPECT_TRUE(Said("COM7 loaded from registry\r\n"));
  EXPECT_FALSE(console.Said("COM1 ")) << "the scan did not start";
  EXPECT_EQ(ReadUserSetting(CommPortSetting), "7");
  ClosePort();
  AttachVirtualLine(7, nullptr);
}

}  // namespace
