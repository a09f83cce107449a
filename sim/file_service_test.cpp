// The units' files as a client writing raw bytes sees them: the file calls, blocks
// read and written, cumulative acknowledgements, refusals, the relayed forms, the
// flash programmer, and the block faults. The expected bytes are laid out here from
// the wire format.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/file_dump.h"
#include "sim/test_client.h"
#include "testing/temporary_folder.h"

namespace {

// A system whose local unit runs `software`, with a remote unit at address 2.
std::string System(const char* software = "6.12") {
  return std::string("[unit 5]\nAttached = yes\nSpeed = 115200\nCard = 653\nSoftware = ") + software +
         "\nFile = 1:0x0100, 300, counting\nFileProperties = 1:0x0100, 01 31 07\n"
         "[unit 2]\nCard = 659\nSoftware = 6.03\nFile = 1:0x0200, 4, 01 02 03 04\n";
}

// A block request with a length header, as the tool sends file blocks.
Body Headed(const Body& body) {
  Body framed = TestClient::Framed(body);
  framed.insert(framed.begin(), {0xF1, static_cast<uint8_t>(framed.size())});
  return framed;
}

// address, 0x47, code, drive, file, offset, count, then the data.
Body Block(uint8_t address, uint8_t code, uint8_t drive, uint16_t file, uint32_t offset, uint8_t count,
           const Body& data = {}) {
  Body body{address, 0x47, code, drive, static_cast<uint8_t>(file >> 8), static_cast<uint8_t>(file)};
  for (int shift = 24; shift >= 0; shift -= 8) body.push_back(static_cast<uint8_t>(offset >> shift));
  body.push_back(count);
  body.insert(body.end(), data.begin(), data.end());
  return body;
}

Body Acknowledgement(uint8_t address, uint8_t drive, uint16_t file, uint32_t offset, uint8_t code = 0x33,
                     uint8_t result = 0) {
  Body body = Block(address, code, drive, file, offset, 0);
  body.push_back(result);
  return body;
}

Body Filled(size_t size, uint8_t first = 0) {
  Body bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

class FileServiceTest : public SimulatorTest {
 protected:
  void Start(const std::string& text) {
    StartText(text);
    client.SetSpeed(115200);
  }
  // The body of the ordinary call's reply, or an empty one.
  Body Call(const Body& request) { return client.Call(request).value_or(Body{}); }
  // Every frame that comes within the time, each behind its length header; the
  // bodies, or a marker body {0xEE} for bytes that are no such frame.
  std::vector<Body> Frames(uint64_t milliseconds = 300) {
    Body bytes = client.Receive(milliseconds);
    std::vector<Body> frames;
    size_t at = 0;
    while (at < bytes.size()) {
      size_t length = at + 1 < bytes.size() ? bytes[at + 1] : 0;
      Body frame;
      if (bytes[at] == 0xF1 && length >= 4 && at + 2 + length <= bytes.size()) {
        frame.assign(bytes.begin() + static_cast<long>(at + 2), bytes.begin() + static_cast<long>(at + 2 + length));
      }
      if (frame.empty() || TestClient::Crc(frame) != 0) {
        frames.push_back({0xEE});
        break;
      }
      frame.resize(frame.size() - 2);
      frames.push_back(frame);
      at += 2 + length;
    }
    return frames;
  }
  void SendBlocks(const std::vector<Body>& blocks) {
    Body all;
    for (const Body& block : blocks) {
      Body headed = Headed(block);
      all.insert(all.end(), headed.begin(), headed.end());
    }
    client.Send(all);
  }
};

TEST_F(FileServiceTest, FileCallsWithTheirResults) {
  Start(System());
  struct Case {
    const char* what;
    const char* request;
    const char* reply;
  };
  const Case cases[] = {
      {"open a file there is", "05 45 10 26 01 01 00", "05 45 10 26 01 01 00 00"},
      {"close it", "05 45 10 2C 01 01 00", "05 45 10 2C 01 01 00 00"},
      {"close it again: none is open", "05 45 10 2C 01 01 00", "05 45 10 2C 01 01 00 01"},
      {"open a file there is not", "05 45 10 26 01 01 01", "05 45 10 26 01 01 01 01"},
      {"the KD6's resource drive", "05 45 10 29 B1 00 07", "05 45 10 29 B1 00 07 00"},
      {"a drive it has not", "05 45 10 29 07 00 07", "05 45 10 29 07 00 07 02"},
      {"a KT7 has no resource drive", "02 45 10 26 B1 00 01", "02 45 10 26 B1 00 01 02"},
      {"properties of a file there is not", "05 45 10 2B 01 00 99 03 01 31 07", "05 45 10 2B 01 00 99 01"},
      {"properties whose length is not theirs", "05 45 10 2B 01 01 00 04 01 31 07", ""},
      // 01 02 03 04 as little-endian words: 0x04030201, and 31 more rotations of the second sum.
      {"attributes of 4 bytes", "02 45 10 2F 01 02 00 00 00 00 04",
       "02 45 10 2F 01 02 00 00 00 00 00 04 04 03 02 01 08 06 04 02 00 00 00 00 00 00 00 00 00"},
      {"attributes of a file there is not", "02 45 10 2F 01 02 01 00 00 00 04",
       "02 45 10 2F 01 02 01 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    EXPECT_EQ(Call(Hex(test.request)), test.reply[0] == 0 ? Body{} : Hex(test.reply));
  }
  Body attributes = Call(Hex("05 45 10 2F 01 01 00 00 00 01 2C"));
  ASSERT_EQ(attributes.size(), 29u + 3);
  EXPECT_EQ(Body(attributes.begin() + 8, attributes.begin() + 12), Hex("00 00 01 2C"));
  EXPECT_EQ(Body(attributes.end() - 4, attributes.end()), Hex("03 01 31 07")) << "the properties as stored";
}

TEST_F(FileServiceTest, ReadsAreAnsweredFromTheOpenFileAndEndWithZero) {
  Start(System());
  EXPECT_EQ(Call(Hex("05 45 10 26 01 01 00")), Hex("05 45 10 26 01 01 00 00"));
  SendBlocks({Block(5, 0x30, 1, 0x100, 0, 128), Block(5, 0x30, 1, 0x100, 256, 128),
              Block(5, 0x30, 1, 0x100, 384, 128)});
  std::vector<Body> frames = Frames();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0], Block(5, 0x31, 1, 0x100, 0, 128, Filled(128)));
  EXPECT_EQ(frames[1], Block(5, 0x31, 1, 0x100, 256, 44, Filled(44, 0)));
  EXPECT_EQ(frames[2], Block(5, 0x31, 1, 0x100, 384, 0));
  EXPECT_EQ(Call(Hex("05 45 10 2C 01 01 00")), Hex("05 45 10 2C 01 01 00 00"));
  SendBlocks({Block(5, 0x30, 1, 0x100, 0, 128)});
  EXPECT_TRUE(Frames().empty()) << "no file is open";
}

TEST_F(FileServiceTest, WritesAreAcknowledgedCumulativelyAndRefusedBeyondAGap) {
  Start(System());
  EXPECT_EQ(Call(Hex("05 45 10 29 01 03 00")), Hex("05 45 10 29 01 03 00 00"));
  std::vector<Body> writes;
  for (uint32_t offset = 0; offset < 6 * 128; offset += 128) {
    writes.push_back(Block(5, 0x32, 1, 0x300, offset, 128, Filled(128, static_cast<uint8_t>(offset / 128))));
  }
  SendBlocks(writes);
  std::vector<Body> frames = Frames();
  // After the fourth write, and once the line has gone quiet after the sixth.
  EXPECT_EQ(frames, (std::vector<Body>{Acknowledgement(5, 1, 0x300, 384), Acknowledgement(5, 1, 0x300, 640)}));
  SendBlocks({Block(5, 0x32, 1, 0x300, 1024, 3, Hex("AA BB CC"))});
  EXPECT_EQ(Frames(), (std::vector<Body>{Acknowledgement(5, 1, 0x300, 1024, 0x34)}));
  SendBlocks({Block(5, 0x32, 1, 0x300, 0, 2, Hex("AA BB"))});
  EXPECT_EQ(Frames(), (std::vector<Body>{Acknowledgement(5, 1, 0x300, 640)}))
      << "a repeat is taken and acknowledged with the last write that lengthened the file";
  SimFile* file = simulator->File(5, 1, 0x300);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->data.size(), 768u);
  EXPECT_EQ(file->data[0], 0xAA);
  EXPECT_EQ(file->data[700], static_cast<uint8_t>(5 + 700 - 640));
  SendBlocks({Block(5, 0x32, 1, 0x301, 0, 1, Hex("01"))});
  EXPECT_EQ(Frames(), (std::vector<Body>{Acknowledgement(5, 1, 0x301, 0, 0x34)})) << "a file not created";
}

TEST_F(FileServiceTest, RelayedBlocksGoThroughALocalUnitFrom604) {
  for (const char* software : {"6.04", "6.03"}) {
    SCOPED_TRACE(software);
    Start(System(software));
    bool relays = std::string(software) == "6.04";
    EXPECT_EQ(Call(Hex("02 45 10 29 01 00 09")), Hex("02 45 10 29 01 00 09 00"));
    // address, 0x48, 0x04, then the write from its code on.
    Body write = Block(2, 0x32, 1, 0x0009, 0, 3, Hex("0A 0B 0C"));
    write[1] = 0x48;
    write.insert(write.begin() + 2, 0x04);
    SendBlocks({write});
    std::vector<Body> frames = Frames();
    if (relays) {
      EXPECT_EQ(frames, (std::vector<Body>{Acknowledgement(2, 1, 0x0009, 0)})) << "acknowledged in the plain form";
      EXPECT_EQ(simulator->File(2, 1, 0x0009)->data, Hex("0A 0B 0C"));
    } else {
      EXPECT_TRUE(frames.empty());
    }
    // Reads of a remote unit come back relayed: 0x48, a byte whose low four bits are 4.
    EXPECT_EQ(Call(Hex("02 45 10 26 01 02 00")), Hex("02 45 10 26 01 02 00 00"));
    SendBlocks({Block(2, 0x30, 1, 0x200, 0, 128)});
    frames = Frames();
    ASSERT_EQ(frames.size(), 1u);
    Body plain = Block(2, 0x31, 1, 0x200, 0, 4, Hex("01 02 03 04"));
    if (relays) {
      ASSERT_EQ(frames[0].size(), plain.size() + 1);
      EXPECT_EQ(frames[0][1], 0x48);
      EXPECT_EQ(frames[0][2] & 0x0F, 0x04);
      EXPECT_EQ(Body(frames[0].begin() + 3, frames[0].end()), Body(plain.begin() + 2, plain.end()));
    } else {
      EXPECT_EQ(frames[0], plain);
    }
  }
}

TEST_F(FileServiceTest, TheFlashProgrammerServesTheFilesOnTheLoaderAddress) {
  Start(System());
  simulator->SetProgram(5, Program::Programmer);
  EXPECT_EQ(Call(Hex("05 45 10 26 01 01 00")), Body{}) << "not on the unit's own address";
  EXPECT_EQ(Call(Hex("01 45 10 29 C1 00 01")), Hex("01 45 10 29 C1 00 01 00"));
  SendBlocks({Block(1, 0x32, 0xC1, 1, 0, 2, Hex("12 34"))});
  EXPECT_EQ(Frames(), (std::vector<Body>{Acknowledgement(1, 0xC1, 1, 0)}));
  EXPECT_EQ(Call(Hex("01 45 10 2C C1 00 01")), Hex("01 45 10 2C C1 00 01 00"));
  EXPECT_EQ(simulator->File(5, 0xC1, 1)->data, Hex("12 34"));
  EXPECT_EQ(Call(Hex("01 45 10 10")), Body{}) << "the programmer knows no identification";
}

TEST_F(FileServiceTest, BlockFaultsRefuseFailAndSwap) {
  Start(System());
  simulator->OrderFault({.kind = FaultKind::RefuseWrite, .after = 1});
  simulator->OrderFault({.kind = FaultKind::FlashFailure, .after = 3, .result = 0x21});
  EXPECT_EQ(Call(Hex("05 45 10 29 01 03 00")), Hex("05 45 10 29 01 03 00 00"));
  SendBlocks({Block(5, 0x32, 1, 0x300, 0, 1, Hex("01"))});
  EXPECT_EQ(Frames(), (std::vector<Body>{Acknowledgement(5, 1, 0x300, 0)}));
  SendBlocks({Block(5, 0x32, 1, 0x300, 1, 1, Hex("02"))});
  EXPECT_EQ(Frames(), (std::vector<Body>{Acknowledgement(5, 1, 0x300, 1, 0x34)})) << "refused as ordered";
  SendBlocks({Block(5, 0x32, 1, 0x300, 1, 1, Hex("02"))});
  EXPECT_EQ(Frames(), (std::vector<Body>{Acknowledgement(5, 1, 0x300, 1)}));
  SendBlocks({Block(5, 0x32, 1, 0x300, 2, 1, Hex("03"))});
  EXPECT_EQ(Frames(), (std::vector<Body>{Acknowledgement(5, 1, 0x300, 2, 0x33, 0x21)})) << "the flash failed";
  EXPECT_EQ(simulator->File(5, 1, 0x300)->data, Hex("01 02"));

  simulator->ClearFaults();
  simulator->OrderFault({.kind = FaultKind::SwapReads, .after = 1});
  simulator->OrderFault({.kind = FaultKind::FlashFailure, .after = 3});
  EXPECT_EQ(Call(Hex("05 45 10 26 01 01 00")), Hex("05 45 10 26 01 01 00 00"));
  SendBlocks({Block(5, 0x30, 1, 0x100, 0, 128), Block(5, 0x30, 1, 0x100, 128, 128),
              Block(5, 0x30, 1, 0x100, 256, 128), Block(5, 0x30, 1, 0x100, 384, 128)});
  std::vector<Body> frames = Frames();
  ASSERT_EQ(frames.size(), 4u);
  std::vector<int> offsets;  // the low half of each
  for (const Body& frame : frames) offsets.push_back(frame[8] << 8 | frame[9]);
  EXPECT_EQ(offsets, (std::vector<int>{0, 256, 128, 384}));
  EXPECT_EQ(frames[3], Block(5, 0x31, 1, 0x100, 384, 0xFF)) << "no data when the flash cannot be read";
}

TEST_F(FileServiceTest, FilesArePreloadedAndDumped) {
  TemporaryFolder temporary("sim-files");
  std::filesystem::path folder = temporary.Path();
  std::ofstream(folder / "image.bin", std::ios::binary) << "Velantor";
  std::ofstream(folder / "system.ini") << "[unit 5]\nCard = 659\nSoftware = 6.12\nDrives = 1, 7\n"
                                          "File = 7:0x0001, image.bin\nFileProperties = 7:1, crc\n"
                                          "File = 1:2, 5, DE AD\nFileProperties = 1:2, 01 02\n";
  SystemDescription system;
  std::string error;
  ASSERT_TRUE(ReadSystemFile((folder / "system.ini").generic_string(), system, error)) << error;
  const SimFiles& files = system.units[0].files;
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files.at({7, 1}).data, Body({'V', 'e', 'l', 'a', 'n', 't', 'o', 'r'}));
  EXPECT_EQ(files.at({1, 2}).data, Hex("DE AD DE AD DE"));
  EXPECT_EQ(files.at({1, 2}).properties, Hex("01 02"));
  EXPECT_EQ(UnitDrives(system.units[0]), (std::vector<uint8_t>{1, 7}));
  // Property 1, the narrowest unsigned type, the CRC-16/MODBUS with its bytes exchanged.
  Body framed = TestClient::Framed(Body({'V', 'e', 'l', 'a', 'n', 't', 'o', 'r'}));
  EXPECT_EQ(files.at({7, 1}).properties, (Body{0x01, 0x42, framed[8], framed[9]}));

  StartSystem(system);
  simulator->PutFile(5, 1, 3, Hex("00 FF"));
  ASSERT_TRUE(DumpUnitFiles(*simulator, (folder / "dump").generic_string(), error)) << error;
  auto read = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  };
  EXPECT_EQ(read(folder / "dump/unit5-drive7-file0001.bin"), "Velantor");
  EXPECT_EQ(read(folder / "dump/unit5-drive1-file0002.properties"), "01 02\n");
  EXPECT_EQ(read(folder / "dump/unit5-drive1-file0003.bin"), std::string("\0\xFF", 2));
  EXPECT_FALSE(std::filesystem::exists(folder / "dump/unit5-drive1-file0003.properties"));
}

}  // namespace
