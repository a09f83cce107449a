// The flash programmer download, its block requests and ResetProgrammer against a
// loader scripted byte by byte.
#include "transfer/programmer_download.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "link/link_speed.h"
#include "protocol/speed_negotiation.h"
#include "transfer/flash_programming.h"
#include "transfer/image_catalogue.h"
#include "transfer/scripted_loader_fixture.h"

namespace {

using Download = ScriptedLoader;

UnitInfo LoaderUnit(int8_t mcu = 6, int32_t buffersize = 8192) {
  UnitInfo unit{};
  unit.unitmode = ModeBootLoader;
  unit.SlaveAddress = 1;
  unit.mcu = mcu;
  unit.unittype = UnitDisplay;
  unit.bootversion = 3;
  unit.bootrelease = 18;
  unit.buffersize = buffersize;
  return unit;
}

TEST_F(Download, EachRecordGoesAsOneBlockThenTheProgrammerStartsAndIsAsked) {
  answer = [this](const Bytes& request) -> std::optional<Bytes> {
    switch (Code(request)) {
      case 0x1023: FollowSpeed(request); return Echo(request, {});
      case 0x1020:
      case 0x1024: return BlockEcho(request);
      case 0x1022: return Echo(request, {});
      case 0x1031: return Echo(request, {2, 4});
      case 0x101F: return Echo(request, {0x10, 0x00});
    }
    return std::nullopt;
  };
  Bytes image = DownloadImageOf(0x10080315, {{0x10080200, 128}, {0x10080280, 129}, {0x10080301, 20}});
  UnitInfo unit = LoaderUnit();
  ASSERT_TRUE(DownloadProgrammer(unit, SlotOf(image), ""));

  EXPECT_EQ(Codes(), (std::vector<uint16_t>{0x1023, 0x1020, 0x1024, 0x1020, 0x1022, 0x1031, 0x101F}));
  EXPECT_EQ(requests[1].size(), 137u);
  EXPECT_EQ(requests[2].size(), 139u);
  EXPECT_EQ(requests[3].size(), 29u);
  EXPECT_EQ(requests[4], (Bytes{1, 0x45, 0x10, 0x22, 0x10, 0x08, 0x03, 0x15}));
  EXPECT_EQ(unit.unitmode, ModeProgrammer);
  EXPECT_EQ(unit.buffersize, 4096) << "the programmer's own buffer";
  EXPECT_EQ(unit.programmerversion[0], 2);
  EXPECT_EQ(BaudRate, 115200u);
  EXPECT_EQ(PacketTimeout, LongPacketTimeout);

  EXPECT_TRUE(Said("Downloading programmer...\r\n"));
  EXPECT_TRUE(Said("Downloading $10080200(128)\r\n"));
  EXPECT_TRUE(Said("Downloading $10080280(129)\r\n"));
  const std::string& said = console.Text();
  size_t first = said.find("Downloading $10080200");
  std::string transfer = said.substr(first, said.find("Bytes sent") - first);
  EXPECT_EQ(std::count(transfer.begin(), transfer.end(), '.'), 60) << transfer;
  std::smatch statistics;
  ASSERT_TRUE(std::regex_search(said, statistics,
                                std::regex("Bytes sent = 311 : Time = ([0-9]+) mS : Data rate = ([0-9]+) baud\r\n"
                                           "COMPLETE\r\n")))
      << said;
  EXPECT_EQ(std::stoul(statistics[2]), 311u * 11 * 1000 / std::stoul(statistics[1]));
}

// Per-packet traces stay quiet while the blocks go out, and come back after.
TEST_F(Download, TheBlocksOfADownloadAreNotTraced) {
  DetailedDebugOn = true;
  answer = [](const Bytes& request) -> std::optional<Bytes> {
    if (Code(request) == 0x1031) return Echo(request, {2, 4});
    if (Code(request) == 0x101F) return Echo(request, {0x10, 0x00});
    return Code(request) == 0x1020 ? BlockEcho(request) : Echo(request, {});
  };
  ChangePacketBaudRate(115200, false, LongPacketTimeout, false);
  peer().Configure(LineSettings{115200, 2, false, false, false});
  Bytes image = DownloadImageOf(0x10080201, {{0x10080200, 100}});
  UnitInfo unit = LoaderUnit();
  ASSERT_TRUE(DownloadProgrammer(unit, SlotOf(image), "KD6 programmer"));
  EXPECT_TRUE(Said("Downloading KD6 programmer...\r\n"));
  EXPECT_FALSE(Said("<SEND (109)"));
  EXPECT_TRUE(Said("<SEND (8) 01 45 10 22 10 08 02 01>"));
  EXPECT_EQ(ReportLevel, 1);
}

TEST_F(Download, SmallAndLargeBlocksCarryTheirOwnCodeAndLengthField) {
  answer = [](const Bytes& request) -> std::optional<Bytes> { return BlockEcho(request); };
  struct Case {
    std::function<bool(uint32_t, const uint8_t*, uint16_t)> send;
    uint16_t length, code;
    size_t packet;
    Bytes lengthField;
  };
  const Case cases[] = {
      {DownloadBlock, 1, 0x1020, 10, {1}},          {DownloadBlock, 128, 0x1020, 137, {128}},
      {DownloadBlock, 129, 0x1024, 139, {0, 129}},  {WriteBlock, 128, 0x1040, 137, {128}},
      {WriteBlock, 129, 0x1042, 139, {0, 129}},     {WriteBlock, 300, 0x1042, 310, {1, 44}},
  };
  Bytes data(300, 0x3C);
  for (const Case& c : cases) {
    requests.clear();
    ASSERT_TRUE(c.send(0x1A004000, data.data(), c.length)) << c.code << " " << c.length;
    ASSERT_EQ(requests.size(), 1u);
    const Bytes& request = requests[0];
    EXPECT_EQ(Code(request), c.code);
    EXPECT_EQ(request.size(), c.packet) << c.code << " " << c.length;
    EXPECT_EQ(Bytes(request.begin() + 4, request.begin() + 8), (Bytes{0x1A, 0x00, 0x40, 0x00}));
    EXPECT_EQ(Bytes(request.begin() + 8, request.begin() + 8 + static_cast<long>(c.lengthField.size())),
              c.lengthField);
  }
}

TEST_F(Download, AReplyEchoingAnotherLengthAddressOrCommandIsOneFailedAttempt) {
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* line;
  };
  const Case cases[] = {
      {"length", [](Bytes& reply) { reply[8] = 127; },
       "BAD REPLY FOR 10080200 - GOT 1 FC45 $1020 $10080200 127\r\n"},
      {"address", [](Bytes& reply) { reply[7] = 0x01; },
       "BAD REPLY FOR 10080200 - GOT 1 FC45 $1020 $10080201 128\r\n"},
      {"command", [](Bytes& reply) { reply[3] = 0x24; },
       "BAD REPLY FOR 10080200 - GOT 1 FC45 $1024 $10080200 128\r\n"},
  };
  Bytes data(128, 0x11);
  for (const Case& c : cases) {
    requests.clear();
    console.Clear();
    answer = [this, &c](const Bytes& request) -> std::optional<Bytes> {
      Bytes reply = BlockEcho(request);
      if (requests.size() == 1) c.damage(reply);
      return reply;
    };
    EXPECT_TRUE(DownloadBlock(0x10080200, data.data(), 128)) << c.name;
    EXPECT_EQ(requests.size(), 2u) << c.name;
    EXPECT_TRUE(Said(c.line)) << c.name << ": " << console.Text();
    EXPECT_EQ(Count("BAD REPLY FOR"), 1u) << c.name;
    EXPECT_EQ(Count("!"), 1u) << c.name;
  }
}

TEST_F(Download, EightUnansweredAttemptsFailTheBlock) {
  Bytes data(200, 0x11);
  EXPECT_FALSE(DownloadBlock(0x10080200, data.data(), 200));
  EXPECT_EQ(requests.size(), 8u);
  EXPECT_EQ(Count("BAD REPLY FOR 10080200 - GOT 0 FC00 $0000 $00000000 0\r\n"), 8u) << console.Text();
  EXPECT_EQ(Count("!"), 8u);
  EXPECT_TRUE(Said("FAILED\r\n"));
}

// The programmer may be at the speed it last ran at, back at its starting speed, or
// at the slowest: the attempts cycle through the three.
TEST_F(Download, ResetProgrammerTriesTheRememberedSpeed115200And9600InTurn) {
  struct Case {
    uint32_t programmerAt;
    size_t attempts;
    bool answered;
  };
  const Case cases[] = {{460800, 1, true}, {115200, 2, true}, {9600, 3, true}, {19200, 12, false}};
  for (const Case& c : cases) {
    ChangePacketBaudRate(460800, false, LongPacketTimeout, false);
    peer().Configure(LineSettings{c.programmerAt, 2, false, false, false});
    answer = [](const Bytes& request) -> std::optional<Bytes> {
      return Code(request) == 0x1033 ? std::optional<Bytes>(Echo(request, {})) : std::nullopt;
    };
    requests.clear();
    console.Clear();
    DetailedDebugOn = true;
    UnitInfo unit = LoaderUnit();
    unit.unitmode = ModeProgrammer;
    EXPECT_EQ(ResetProgrammer(unit), c.answered) << c.programmerAt;
    DetailedDebugOn = false;
    EXPECT_EQ(requests.size(), c.answered ? 1u : 0u) << "only the speed it listens at is heard";
    // The speed of each attempt, up to the verdict.
    std::string attempts = console.Text().substr(0, console.Text().find(c.answered ? "COMPLETE" : "FAILED"));
    std::vector<std::string> speeds;
    std::regex change("baud rate = ([0-9]+)");
    for (auto it = std::sregex_iterator(attempts.begin(), attempts.end(), change); it != std::sregex_iterator();
         ++it) {
      speeds.push_back((*it)[1]);
    }
    std::vector<std::string> expected;
    for (size_t attempt = 0; attempt < c.attempts; ++attempt) {
      expected.push_back(attempt % 3 == 0 ? "460800" : attempt % 3 == 1 ? "115200" : "9600");
    }
    EXPECT_EQ(speeds, expected) << c.programmerAt;
    EXPECT_TRUE(Said(c.answered ? "RPC: ResetProgrammer\r\n" : "FAILED\r\n"));
    EXPECT_EQ(BaudRate, c.answered ? 115200u : 9600u) << "a failure leaves the speed of the last attempt";
  }
}

TEST_F(Download, AStopRequestEndsTheAttempts) {
  Bytes data(200, 0x11);
  UnitInfo unit = LoaderUnit();
  const std::pair<const char*, std::function<bool()>> cases[] = {
      {"DownloadBlock", [&] { return DownloadBlock(0x10080200, data.data(), 200); }},
      {"WriteBlock", [&] { return WriteBlock(0x4000, data.data(), 100); }},
      {"ResetProgrammer", [&] { return ResetProgrammer(unit); }},
  };
  for (const auto& [name, call] : cases) {
    uint32_t sentAtStart = TotalBytesSent;
    uint32_t sentAtStop = 0;
    clock.Schedule(clock.Now() + 20'000, [&] {
      sentAtStop = TotalBytesSent;
      ExitRequested = true;
    });
    EXPECT_FALSE(call()) << name;
    EXPECT_GT(sentAtStop, sentAtStart) << name;
    EXPECT_EQ(TotalBytesSent, sentAtStop) << name << ": attempts after the stop";
    ExitRequested = false;
  }
}

TEST_F(Download, WhatCannotBeDownloadedStopsTheProgramBeforeAnyBlock) {
  ChangePacketBaudRate(115200, false, LongPacketTimeout, false);
  UnitInfo unit = LoaderUnit();
  EXPECT_STOPS(DownloadProgrammer(unit, ImageSlot{}, ""), "Cannot update unit: there is no flash programmer for this unit");
  Bytes broken = DownloadImageOf(0x10080201, {{0x10080200, 100}});
  broken.pop_back();
  EXPECT_STOPS(DownloadProgrammer(unit, SlotOf(broken), ""),
               "Cannot update unit: the flash programmer is not a download image: no terminator");

  // A LARGE programmer for a loader whose buffer takes 1024 bytes.
  UnitInfo kt5 = LoaderUnit(5, 1024);
  kt5.unittype = UnitTransmitter;
  ASSERT_TRUE(SelectFlashProgrammer(kt5));
  EXPECT_EXIT((ConsoleToStandardError(), MarkBytesSent(), DownloadProgrammer(kt5, kt5.ProgrammerImage, "")),
              ::testing::ExitedWithCode(1),
              "Downloading \\$10000200\\(8192\\)\r?\nFatal Error: Unable to update unit: buffer size is too small\r?\n"
              "\\[bytes sent: 0\\]");
}

// The steps whose failure leaves the program not knowing where the unit is.
TEST_F(Download, AProgrammerThatDoesNotFollowStopsTheProgram) {
  struct Case {
    const char* name;
    uint16_t silentOn;  // the procedure the loader does not answer
    uint32_t programmerSpeed;
    std::function<bool(UnitInfo&, const ImageSlot&)> run;
    const char* message;
  };
  const Case cases[] = {
      {"download, speed", 0x1023, 0, [](UnitInfo& u, const ImageSlot& i) { return DownloadProgrammer(u, i, ""); },
       "Unable to change baud rate"},
      {"download, version", 0x1031, 0, [](UnitInfo& u, const ImageSlot& i) { return DownloadProgrammer(u, i, ""); },
       "Unable to connect to programmer"},
      {"reset, speed", 0x1023, 921600, [](UnitInfo& u, const ImageSlot&) { return ResetProgrammer(u); },
       "Unable to change baud rate"},
  };
  Bytes image = DownloadImageOf(0x10080201, {{0x10080200, 100}});
  for (const Case& c : cases) {
    answer = [this, &c](const Bytes& request) -> std::optional<Bytes> {
      if (Code(request) == c.silentOn) return std::nullopt;
      if (Code(request) == 0x1023) FollowSpeed(request);
      if (Code(request) == 0x1031) return Echo(request, {2, 4});
      if (Code(request) == 0x101F) return Echo(request, {0x10, 0x00});
      return Code(request) == 0x1020 ? BlockEcho(request) : Echo(request, {});
    };
    ProgrammerBaudRate = c.programmerSpeed;
    UnitInfo unit = LoaderUnit();
    EXPECT_STOPS(c.run(unit, SlotOf(image)), c.message) << c.name;
    ProgrammerBaudRate = 0;
  }
}

}  // namespace
