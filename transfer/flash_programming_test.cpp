// Writing images into MCU flash against a flash programmer scripted byte by byte.
#include "transfer/flash_programming.h"

#include <gtest/gtest.h>

#include <regex>

#include "link/link_speed.h"
#include "transfer/scripted_loader_fixture.h"

namespace {

class FlashWrite : public ScriptedLoader {
 protected:
  void SetUp() override {
    ScriptedLoader::SetUp();
    unit.unitmode = ModeProgrammer;
    unit.mcu = 5;
    unit.buffersize = 8192;
    // A programmer that writes every block, and fails the block at `failAt`.
    answer = [this](const Bytes& request) -> std::optional<Bytes> {
      if (Code(request) == 0x1035) return Echo(request, {});
      Bytes reply = BlockEcho(request);
      if (Bytes(request.begin() + 4, request.begin() + 8) == failAt) reply.back() = 0x01;
      return reply;
    };
  }
  // The first and last address of the erase request, when there was one.
  std::optional<std::pair<uint32_t, uint32_t>> Erased() const {
    for (const Bytes& request : requests) {
      if (Code(request) != 0x1035) continue;
      auto at = [&request](size_t offset) {
        return uint32_t{request[offset]} << 24 | uint32_t{request[offset + 1]} << 16 |
               uint32_t{request[offset + 2]} << 8 | request[offset + 3];
      };
      return std::make_pair(at(4), at(8));
    }
    return std::nullopt;
  }

  UnitInfo unit{};
  Bytes failAt;
};

TEST_F(FlashWrite, SoftwareIsErasedAsOneRangeFirstBootLoadersAreNot) {
  struct Case {
    const char* name;
    Bytes image;
    size_t records;
    std::optional<std::pair<uint32_t, uint32_t>> erased;
  };
  const Case cases[] = {
      {"software", DownloadImageOf(0x4000, {{0x4000, 100}, {0x4064, 28}}), 2, std::make_pair(0x4000u, 0x407Fu)},
      {"a record at address 0 before it", DownloadImageOf(0, {{0, 10}, {0x4000, 10}}), 2,
       std::make_pair(0x4000u, 0x4009u)},
      {"software in the upper bank", DownloadImageOf(0, {{0x1A004000, 120}}), 1,
       std::make_pair(0x1A004000u, 0x1A004077u)},
      {"a boot loader ending at 0x3DFF", DownloadImageOf(0, {{0, 100}, {0x3D9C, 100}}), 2, std::nullopt},
      {"a boot loader ending at 0x1A003DFF", DownloadImageOf(0, {{0x1A000000, 100}, {0x1A003D9C, 100}}), 2,
       std::nullopt},
      {"an image ending at 0x4000 itself", DownloadImageOf(0, {{0x3F00, 100}, {0x3F64, 157}}), 2, std::nullopt},
  };
  for (const Case& c : cases) {
    requests.clear();
    ASSERT_TRUE(WriteSoftware(unit, SlotOf(c.image))) << c.name;
    EXPECT_EQ(Erased(), c.erased) << c.name;
    EXPECT_EQ(Code(requests[0]), c.erased ? 0x1035 : 0x1040) << c.name << ": the erase comes first";
    EXPECT_EQ(requests.size(), c.records + (c.erased ? 1 : 0)) << c.name;
  }
  EXPECT_TRUE(Said("Updating Velantor software (do not turn off the power!)...\r\n"));
  EXPECT_TRUE(Said("Writing to MCU flash\r\n"));
  EXPECT_TRUE(Said("Programming $1A004000(120)\r\n"));
  EXPECT_TRUE(std::regex_search(console.Text(), std::regex("Bytes sent = 280 : Time = [0-9]+ mS : Data rate = [0-9]+ "
                                                     "baud\r\nCOMPLETE\r\n")))
      << "the last image's two requests: 100 + 11 and 157 + 12 bytes";
}

TEST_F(FlashWrite, AFlashFailureEndsTheWriteAtItsBlock) {
  failAt = {0x00, 0x00, 0x60, 0x00};
  Bytes image = DownloadImageOf(0x4000, {{0x4000, 100}, {0x6000, 100}, {0x8000, 100}});
  EXPECT_FALSE(WriteSoftware(unit, SlotOf(image)));
  EXPECT_TRUE(Said("\r\nUnit reported hardware failure, cannot write to MCU flash memory. Address=$00006000, "
                   "Result=01\r\n"))
      << console.Text();
  EXPECT_EQ(Codes(), (std::vector<uint16_t>{0x1035, 0x1040, 0x1040}));
  EXPECT_EQ(ReportLevel, 1);
}

TEST_F(FlashWrite, AnUnansweredEraseWritesNothing) {
  answer = nullptr;
  Bytes image = DownloadImageOf(0x4000, {{0x4000, 100}});
  EXPECT_FALSE(WriteSoftware(unit, SlotOf(image)));
  EXPECT_EQ(Codes(), std::vector<uint16_t>(8, 0x1035));
}

TEST_F(FlashWrite, WhatCannotBeWrittenWholeIsNotStarted) {
  Bytes broken = DownloadImageOf(0x4000, {{0x4000, 100}});
  broken[7] = 0;  // TotalSize
  EXPECT_FALSE(WriteSoftware(unit, SlotOf(broken)));
  EXPECT_TRUE(Said("Cannot write to MCU flash: the image is not a download image: TotalSize 0 is not the sum of "
                   "the record sizes, 100\r\n"));
  EXPECT_FALSE(WriteSoftware(unit, ImageSlot{}));
  clock.Sleep(100'000);
  EXPECT_TRUE(requests.empty());

  // A record beyond the programmer's buffer would leave the software erased and half
  // written: the program stops before the erase.
  unit.buffersize = 128;
  Bytes image = DownloadImageOf(0x4000, {{0x4000, 128}, {0x4080, 129}});
  EXPECT_EXIT((ConsoleToStandardError(), MarkBytesSent(), WriteSoftware(unit, SlotOf(image))),
              ::testing::ExitedWithCode(1),
              "Writing to MCU flash\r?\nFatal Error: Unable to program unit: internal error \\(buffer size is too "
              "small\\)\r?\n\\[bytes sent: 0\\]");
}

}  // namespace
