// Whole files to and from the simulated units, in virtual time: sending with the CRC
// property, the comparison by checksums and CRC, reading into memory, update-file
// trailers, the address and form by unit mode, recovery from what goes wrong on the
// line or in the unit, progress and stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "generic/aarray.h"
#include "link/port_control.h"
#include "protocol/remote_call.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "runtime/window_hooks.h"
#include "transfer/file_checksums.h"
#include "transfer/file_sending.h"
#include "transfer/simulated_units_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t size, uint8_t seed = 7) {
  Bytes bytes(size);
  uint32_t state = seed;
  for (uint8_t& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 16);
  }
  return bytes;
}

// A request heard as the traffic log shows it, without its length header and CRC.
Bytes BodyOf(const std::string& hex) {
  Bytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 3) bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  if (bytes.size() >= 2 && bytes[0] == 0xF1 && bytes[1] == bytes.size() - 2) bytes.erase(bytes.begin(), bytes.begin() + 2);
  if (bytes.size() >= 2) bytes.resize(bytes.size() - 2);
  return bytes;
}

// The property list a tool's SendFile leaves: the file CRC under key 1.
Bytes CrcProperty(const Bytes& data) {
  AArray properties;
  SetUIntAA(properties, 1, FileCrc(data.data(), static_cast<uint32_t>(data.size())));
  std::string_view view = properties.View();
  return Bytes(view.begin(), view.end());
}

class FileSending : public SimulatedUnits {
 protected:
  // The windowed requests the units heard, in order.
  std::vector<Bytes> BlocksHeard() const {
    std::vector<Bytes> blocks;
    for (const std::string& hex : simulator->Traffic().Of(TrafficKind::Received)) {
      Bytes body = BodyOf(hex);
      if (body.size() >= 11 && (body[1] == 0x47 || body[1] == 0x48)) blocks.push_back(body);
    }
    return blocks;
  }
  // The offsets of the writes heard, plain or relayed.
  std::vector<uint32_t> WriteOffsets() const {
    std::vector<uint32_t> offsets;
    for (const Bytes& block : BlocksHeard()) {
      size_t at = block[1] == 0x48 ? 1 : 0;  // the relay byte
      if (block[2 + at] != 0x32) continue;
      offsets.push_back(uint32_t{block[6 + at]} << 24 | block[7 + at] << 16 | block[8 + at] << 8 | block[9 + at]);
    }
    return offsets;
  }
};

TEST_F(FileSending, SendFileWritesTheFileAndItsCrcAsProperty1) {
  StartSystem();
  Bytes data = Pattern(300);
  ASSERT_TRUE(SendFile(UnitAt(5), 1, 0x0123, data.data(), 300, true)) << console.Text();
  SimFile* file = simulator->File(5, 1, 0x0123);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->data, data);
  EXPECT_EQ(file->properties, CrcProperty(data));
  char crc[8];
  std::snprintf(crc, sizeof crc, "%04X", FileCrc(data.data(), 300));
  EXPECT_TRUE(Said("Updating Velantor file 01:0123 300 bytes\r\n")) << console.Text();
  // The progress dots come between the lines on the console.
  for (const char* line : {"Writing $00000000(128)\r\n", "Writing $00000080(128)\r\n", "Writing $00000100(44)\r\n"}) {
    EXPECT_TRUE(Said(line)) << console.Text();
  }
  EXPECT_TRUE(Said("Bytes sent = ")) << console.Text();
  EXPECT_TRUE(Said(std::string("\r\nAdding CRC=") + crc + "\r\n")) << console.Text();
  EXPECT_TRUE(Said("COMPLETE: Result=0\r\nCOMPLETE\r\n")) << console.Text();
  EXPECT_EQ(ReportLevel, 1) << "restored";

  console.Clear();
  EXPECT_FALSE(FileNeedsUpdate(UnitAt(5), 1, 0x0123, data.data(), 300, true));
  EXPECT_TRUE(Said(std::string("Current file CRC=") + crc + "\r\n-- Velantor file 01:0123 is up to date\r\n"))
      << console.Text();
}

// A file equal in size and checksums: only the CRC check looks at the property.
TEST_F(FileSending, AFileThatMatchesButForItsCrc) {
  StartSystem();
  Bytes data = Pattern(1000);
  Bytes other = CrcProperty(Pattern(1000, 8));
  struct Case {
    const char* what;
    Bytes properties;
    bool withoutCheck;
    bool withCheck;
  };
  const Case cases[] = {
      {"its CRC", CrcProperty(data), false, false},
      {"another CRC", other, false, true},
      {"no properties", {}, false, true},
      {"other properties only", {0x07, 0x30}, false, true},
      {"a garbled list", {0x01, 0x42, 0x49}, false, true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    simulator->PutFile(5, 1, 0x0200, data, test.properties);
    EXPECT_EQ(FileNeedsUpdate(UnitAt(5), 1, 0x0200, data.data(), 1000, false), test.withoutCheck);
    console.Clear();
    EXPECT_EQ(FileNeedsUpdate(UnitAt(5), 1, 0x0200, data.data(), 1000, true), test.withCheck);
    if (test.withCheck) {
      EXPECT_TRUE(Said("-- Velantor file 01:0200 CRC is different\r\n")) << console.Text();
    }
  }
}

TEST_F(FileSending, FilesThatDifferOrAreMissingNeedWriting) {
  StartSystem();
  Bytes data = Pattern(1000);
  simulator->PutFile(5, 1, 0x0200, Pattern(999));
  EXPECT_TRUE(FileNeedsUpdate(UnitAt(5), 1, 0x0200, data.data(), 1000, false));
  EXPECT_TRUE(Said("Checking if current file is different from new file for FileNo=0200 DriveNo=01 Size=1000\r\n"))
      << console.Text();
  EXPECT_TRUE(Said("New file attributes: FileSize=1000 Checksum1=")) << console.Text();
  EXPECT_TRUE(Said("-- Velantor file 01:0200 checksums are different\r\n")) << console.Text();
  console.Clear();
  EXPECT_TRUE(FileNeedsUpdate(UnitAt(5), 1, 0x0201, data.data(), 1000, false)) << "not there: result 1";
  EXPECT_FALSE(Said("checksums are different")) << console.Text();
}

// Every read needs room for a whole block, the one that finds the end too.
TEST_F(FileSending, ReceivingAFileOfExactly256Bytes) {
  StartSystem();
  Bytes data = Pattern(256);
  simulator->PutFile(5, 1, 0x0300, data);
  Bytes buffer(384, 0xEE);
  uint32_t size = 0;
  EXPECT_FALSE(ReceiveFile(UnitAt(5), 1, 0x0300, buffer.data(), 383, size));
  EXPECT_EQ(ReportLevel, 1);
  ASSERT_TRUE(ReceiveFile(UnitAt(5), 1, 0x0300, buffer.data(), 384, size)) << console.Text();
  EXPECT_EQ(size, 256u);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 256), data);
  EXPECT_TRUE(Said("Opening Velantor file 01:0300 -- remote file access window size = 8\r\n")) << console.Text();
  EXPECT_TRUE(Said("Reading $00000100(128)\r\n")) << console.Text();
}

TEST_F(FileSending, Reading300BytesWithEightReadsAhead) {
  StartSystem();
  Bytes data = Pattern(300);
  simulator->PutFile(5, 1, 0x0301, data);
  Bytes buffer(1024);
  uint32_t size = 0;
  ASSERT_TRUE(ReceiveFile(UnitAt(5), 1, 0x0301, buffer.data(), 1024, size)) << console.Text();
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + size), data);
  EXPECT_TRUE(Said("Reading $00000000(128)\r\nReading $00000080(128)\r\nReading $00000100(128)\r\n"
                   "Reading $0000012C(128)\r\nRPC: CloseFile"))
      << console.Text();
  std::vector<uint32_t> offsets;
  for (const Bytes& block : BlocksHeard()) offsets.push_back(uint32_t{block[8]} << 8 | block[9]);
  ASSERT_GE(offsets.size(), 8u);
  EXPECT_EQ(std::vector<uint32_t>(offsets.begin(), offsets.begin() + 8),
            (std::vector<uint32_t>{0, 128, 256, 384, 512, 640, 768, 896}));
}

TEST_F(FileSending, UpdateFilesEndWithTheirTrailer) {
  StartSystem();
  Bytes image = Pattern(1000);
  Bytes abc{'a', 'b', 'c'};
  uint32_t fletcher = FileFletcher(image.data(), 1000);
  struct Case {
    const char* what;
    UpdateTrailer trailer;
    Bytes data;
    Bytes trailerBytes;
    const char* line;
  };
  const Case cases[] = {
      {"none", NoTrailer, image, {}, nullptr},
      {"the CRC of abc", CrcTrailer, abc, {0x49, 0x57}, "Adding CRC\r\n"},
      {"the Fletcher-32 sum", ChecksumTrailer, image,
       {static_cast<uint8_t>(fletcher >> 24), static_cast<uint8_t>(fletcher >> 16), static_cast<uint8_t>(fletcher >> 8),
        static_cast<uint8_t>(fletcher)},
       "Adding Checksum\r\n"},
  };
  uint16_t number = 0x0400;
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    console.Clear();
    simulator->Traffic().Clear();
    uint32_t length = static_cast<uint32_t>(test.data.size());
    ASSERT_TRUE(WriteSoftwareUpdateFile(UnitAt(5), 0xC1, number, test.data.data(), length, test.trailer))
        << console.Text();
    Bytes expected = test.data;
    expected.insert(expected.end(), test.trailerBytes.begin(), test.trailerBytes.end());
    EXPECT_EQ(simulator->File(5, 0xC1, number)->data, expected);
    if (test.line != nullptr) {
      EXPECT_TRUE(Said(test.line)) << console.Text();
    }
    EXPECT_TRUE(Said("Sending file " + std::to_string(number) + " in drive 193 to unit 5\r\n")) << console.Text();
    ++number;
  }
  // 1004 bytes on the unit: eight blocks, the last of 104, and the trailer at 1000.
  EXPECT_EQ(WriteOffsets(), (std::vector<uint32_t>{0, 128, 256, 384, 512, 640, 768, 896, 1000}));
  EXPECT_TRUE(Said("Writing $00000380(104)\r\n")) << console.Text();
}

TEST_F(FileSending, RelayedWritesReachARemoteUnitThroughTheLocalOne) {
  StartSystem();
  struct Case {
    const char* what;
    uint8_t address;
    int16_t version;
    bool relayCapable;
    uint8_t function;
  };
  const Case cases[] = {
      {"a remote unit from 6.04 behind a local unit from 6.04", 2, 612, true, 0x48},
      {"a remote unit before 6.04", 9, 603, true, 0x47},
      {"a local unit before 6.04", 2, 612, false, 0x47},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    simulator->Traffic().Clear();
    RelayCapable = test.relayCapable;
    Bytes data = Pattern(500, test.address);
    ASSERT_TRUE(SendFile(UnitAt(test.address, test.version), 1, 0x0500, data.data(), 500, true)) << console.Text();
    EXPECT_EQ(simulator->File(test.address, 1, 0x0500)->data, data);
    std::vector<Bytes> blocks = BlocksHeard();
    ASSERT_EQ(blocks.size(), 4u);
    for (const Bytes& block : blocks) {
      EXPECT_EQ(block[0], test.address);
      EXPECT_EQ(block[1], test.function);
    }
    if (test.function == 0x48) {
      EXPECT_EQ(Bytes(blocks[0].begin(), blocks[0].begin() + 4), (Bytes{2, 0x48, 0x04, 0x32}));
    }
  }
}

TEST_F(FileSending, AFlashProgrammerIsReachedOnTheLoaderAddress) {
  StartSystem();
  simulator->SetProgram(5, Program::Programmer);
  BaudRate = 115200;
  ASSERT_TRUE(ChangeBaudRate());
  LoaderAddress = 1;
  Bytes data = Pattern(700);
  ASSERT_TRUE(WriteSoftwareUpdateFile(UnitAt(5, 612, ModeProgrammer), 0xC1, 1, data.data(), 700, NoTrailer))
      << console.Text();
  EXPECT_EQ(simulator->File(5, 0xC1, 1)->data, data);
  for (const Bytes& block : BlocksHeard()) {
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[1], 0x47) << "a programmer gets the plain form";
  }
  Bytes buffer(1024);
  uint32_t size = 0;
  ASSERT_TRUE(ReceiveFile(UnitAt(5, 612, ModeProgrammer), 0xC1, 1, buffer.data(), 1024, size)) << console.Text();
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + size), data);
}

// What goes wrong on the line or in the unit: the file still arrives whole, or the
// operation says why it did not.
TEST_F(FileSending, RecoveryFromLostRefusedAndSwappedBlocks) {
  StartSystem();
  struct Case {
    const char* what;
    FaultOrder fault;
    const char* line;
  };
  const Case cases[] = {
      // The replies: CreateFile's, then the one acknowledgement of the three writes.
      {"a dropped acknowledgement", {.kind = FaultKind::DropReply, .after = 1},
       "ACK MISSING FOR 00000000 - GOT 01.0600 $00000000\r\n"},
      // Refused at once, while the acknowledgement of the first write waits for a quiet line.
      {"a refused write", {.kind = FaultKind::RefuseWrite, .after = 1}, "NACK FOR 00000000 - GOT 01.0600 $00000080\r\n"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    console.Clear();
    simulator->ClearFaults();
    simulator->OrderFault(test.fault);
    Bytes data = Pattern(300, 3);
    ASSERT_TRUE(SendFile(UnitAt(5), 1, 0x0600, data.data(), 300, true)) << console.Text();
    EXPECT_EQ(simulator->File(5, 1, 0x0600)->data, data);
    EXPECT_TRUE(Said(test.line)) << console.Text();
  }

  simulator->ClearFaults();
  simulator->OrderFault({.kind = FaultKind::SwapReads, .count = 0});
  Bytes data = Pattern(2000, 4);
  simulator->PutFile(5, 1, 0x0601, data);
  Bytes buffer(4096);
  uint32_t size = 0;
  console.Clear();
  ASSERT_TRUE(ReceiveFile(UnitAt(5), 1, 0x0601, buffer.data(), 4096, size)) << console.Text();
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + size), data);
  EXPECT_FALSE(Said("READ MISSING")) << "replies out of order are no loss";
}

TEST_F(FileSending, AFlashThatFailsEndsTheTransferWithTheUnitsWords) {
  StartSystem();
  Bytes data = Pattern(1000);
  simulator->OrderFault({.kind = FaultKind::FlashFailure, .after = 1, .result = 0x21});
  EXPECT_FALSE(SendFile(UnitAt(5), 1, 0x0700, data.data(), 1000, true));
  EXPECT_TRUE(Said("\r\nUnit reported hardware failure, cannot write to flash drive. Address=$00000080, Result=21\r\n"))
      << console.Text();
  EXPECT_EQ(ReportLevel, 1);
  clock.AdvanceTo(clock.Now() + 1000'000);  // the writes still on the line are heard

  simulator->PutFile(5, 1, 0x0701, data);
  simulator->OrderFault({.kind = FaultKind::FlashFailure, .after = 2});
  Bytes buffer(2048);
  uint32_t size = 0;
  EXPECT_FALSE(ReceiveFile(UnitAt(5), 1, 0x0701, buffer.data(), 2048, size));
  EXPECT_TRUE(Said("\r\nUnit reported hardware failure, cannot read from flash drive. Address=$00000100\r\n"))
      << console.Text();
  EXPECT_EQ(ReportLevel, 1);
}

TEST_F(FileSending, CloseWithoutAFlushWaitsForTheLastAcknowledgement) {
  StartSystem();
  uint8_t result = 1;
  ASSERT_TRUE(CreateFile(5, 1, 0x0800, true, result));
  Bytes data = Pattern(384);
  for (uint32_t offset = 0; offset < 384; offset += 128) {
    ASSERT_TRUE(WriteFileRemote(5, 1, 0x0800, offset, 128, data.data() + offset));
  }
  ASSERT_TRUE(CloseFile(5, 1, 0x0800, result));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(simulator->File(5, 1, 0x0800)->data, data);
  // The acknowledgement of the three writes went out before the close was heard.
  const std::vector<TrafficEntry>& entries = simulator->Traffic().Entries();
  auto close = std::find_if(entries.begin(), entries.end(), [](const TrafficEntry& entry) {
    return entry.kind == TrafficKind::Received && entry.text.starts_with("05 45 10 2C");
  });
  auto ack = std::find_if(entries.begin(), entries.end(), [](const TrafficEntry& entry) {
    return entry.kind == TrafficKind::Sent && entry.text.find("05 47 33 01 08 00 00 00 01 00") != std::string::npos;
  });
  ASSERT_NE(close, entries.end());
  ASSERT_NE(ack, entries.end());
  EXPECT_LT(ack - entries.begin(), close - entries.begin());
}

int ticks = 0;
int pumps = 0;

TEST_F(FileSending, ProgressStepsAndTheOperatorsStop) {
  StartSystem();
  ProgressTickHook = [] { ++ticks; };
  PumpMessagesHook = [] {
    ++pumps;
    return false;
  };
  Bytes data = Pattern(2000);
  ticks = pumps = 0;
  ASSERT_TRUE(SendFile(UnitAt(5), 1, 0x0900, data.data(), 2000, false));
  EXPECT_EQ(ticks, 4) << "after the blocks at 384, 896, 1408 and 1920";
  Bytes buffer(4096);
  uint32_t size = 0;
  ticks = 0;
  ASSERT_TRUE(ReceiveFile(UnitAt(5), 1, 0x0900, buffer.data(), 4096, size));
  EXPECT_EQ(ticks, 3) << "at 512, 1024 and 1536 bytes";
  ticks = pumps = 0;
  ASSERT_TRUE(WriteSoftwareUpdateFile(UnitAt(5), 1, 0x0901, data.data(), 2000, NoTrailer));
  EXPECT_EQ(ticks, 0) << "the caller steps the progress window by files";
  EXPECT_EQ(pumps, 4) << "but the windows are kept alive";

  // The operator stops at the first step.
  ProgressTickHook = [] { ExitRequested = true; };
  simulator->Traffic().Clear();
  EXPECT_FALSE(SendFile(UnitAt(5), 1, 0x0902, data.data(), 2000, false));
  clock.AdvanceTo(clock.Now() + 1000'000);  // what is on the line arrives
  EXPECT_EQ(WriteOffsets().size(), 5u) << "the block after the step at 384 is the last";
  ExitRequested = false;
  EXPECT_FALSE(ReceiveFile(UnitAt(5), 1, 0x0900, buffer.data(), 4096, size));
  EXPECT_EQ(ReportLevel, 1);
  ProgressTickHook = nullptr;
  PumpMessagesHook = nullptr;
}

using FileSendingDeathTest = FileSending;

TEST_F(FileSendingDeathTest, AUnitInItsBootLoaderStopsEveryOperation) {
  StartSystem();
  UnitInfo unit = UnitAt(5, 612, ModeBootLoader);
  uint8_t data[4] = {1, 2, 3, 4};
  uint32_t size = 0;
  const char* message = "Cannot perform this operation, the unit is not in the correct mode";
  auto fatal = [](auto operation) {
    dup2(2, 1);
    InstallConsoleSink(nullptr);
    operation();
  };
  EXPECT_EXIT(fatal([&] { FileNeedsUpdate(unit, 1, 1, data, 4, true); }), testing::ExitedWithCode(1), message);
  EXPECT_EXIT(fatal([&] { SendFile(unit, 1, 1, data, 4, true); }), testing::ExitedWithCode(1), message);
  EXPECT_EXIT(fatal([&] { WriteSoftwareUpdateFile(unit, 1, 1, data, 4, CrcTrailer); }), testing::ExitedWithCode(1),
              message);
  EXPECT_EXIT(fatal([&] { ReceiveFile(unit, 1, 1, data, 4, size); }), testing::ExitedWithCode(1), message);
}

}  // namespace
