// The resource files of each unit family and the KD6 ResourcePack.
#include "transfer/resource_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "transfer/image_folder_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using ResourceFiles = PlaceholderImages;

Bytes FileBytes(const std::string& name) {
  std::ifstream in(std::string(QUARNET_IMAGE_FOLDER) + "/" + name, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// CRC-16/MODBUS, bit by bit.
uint16_t Crc(const uint8_t* bytes, size_t count) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

uint32_t BigEndian(const Bytes& bytes, size_t offset, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = value << 8 | bytes[offset + static_cast<size_t>(i)];
  return value;
}

TEST_F(ResourceFiles, EachFamilyHasItsFilesInSendingOrder) {
  struct Case {
    int card, mcu, count;
    uint32_t firstLanguageLength;
  };
  const Case cases[] = {{648, 5, 7, 30027}, {648, 4, 7, 30027}, {659, 6, 7, 29239},  {647, 3, 28, 13065},
                        {647, 7, 28, 30880}, {653, 6, 12, 30699}, {649, 5, 0, 0},     {652, 7, 0, 0}};
  const uint16_t languages[] = {480, 481, 482, 483, 485, 486, 490};
  for (const Case& c : cases) {
    ResourceFileList list = ResourceFileSet(c.card, c.mcu);
    ASSERT_EQ(list.count, c.count) << c.card;
    if (c.count == 0) continue;
    EXPECT_EQ(list.files[0].bytes.length, c.firstLanguageLength) << c.card;
    for (int i = 0; i < 7; ++i) {
      const ResourceFile& file = list.files[i];
      EXPECT_EQ(file.fileNumber, languages[i]) << c.card;
      EXPECT_EQ(file.drive, 1);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.bytes.data), 2), "ST");
      EXPECT_EQ(file.bytes.data[3], languages[i] - 480) << "the language index is the fourth byte";
    }
  }
  ResourceFileList kd5 = ResourceFileSet(647, 3);
  EXPECT_EQ(kd5.files[7].fileNumber, 256);
  EXPECT_EQ(kd5.files[7].bytes.length, 154387u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(kd5.files[7].bytes.data), 2), "im");
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(kd5.files[8 + i].fileNumber, 448 + i);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(kd5.files[8 + i].bytes.data), 3), "fo$");
  }
  EXPECT_EQ(kd5.files[9].bytes.length, 104853u);
  EXPECT_EQ(kd5.files[23].bytes.length, 10613u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(kd5.files[24 + i].fileNumber, 432 + i);
}

TEST_F(ResourceFiles, TheKd6ResourcePackHoldsImageAndFontsInvertedWithTheirCrcs) {
  ResourceFileList kd6 = ResourceFileSet(653, 6);
  ASSERT_EQ(kd6.count, 12);
  const ResourceFile& packFile = kd6.files[7];
  EXPECT_EQ(packFile.drive, 177);
  EXPECT_EQ(packFile.fileNumber, 0);
  ASSERT_EQ(packFile.bytes.length, 112461u + 8 + 165736 + 17 * 8 + 2);
  EXPECT_EQ(packFile.bytes.length, 278343u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(kd6.files[8 + i].fileNumber, 432 + i);
    EXPECT_EQ(kd6.files[8 + i].drive, 1);
  }

  Bytes pack(packFile.bytes.data, packFile.bytes.data + packFile.bytes.length);
  for (uint8_t& byte : pack) byte = static_cast<uint8_t>(~byte);
  std::vector<std::string> names = {"image-KD6-256.res"};
  for (int font = 448; font <= 464; ++font) names.push_back("font-KD6-" + std::to_string(font) + ".res");
  size_t at = 0;
  for (const std::string& name : names) {
    Bytes file = FileBytes(name);
    EXPECT_EQ(BigEndian(pack, at, 2), name == names[0] ? 256u : std::stoul(name.substr(9, 3))) << name;
    ASSERT_EQ(BigEndian(pack, at + 2, 4), file.size()) << name;
    EXPECT_TRUE(std::equal(file.begin(), file.end(), pack.begin() + static_cast<long>(at + 6))) << name;
    uint16_t crc = Crc(file.data(), file.size());
    EXPECT_EQ(pack[at + 6 + file.size()], crc & 0xFF) << name << ": the CRC's low byte first";
    EXPECT_EQ(pack[at + 7 + file.size()], crc >> 8) << name;
    at += file.size() + 8;
  }
  EXPECT_EQ(pack.size() - at, 2u);
  EXPECT_EQ(pack[at], 0);
  EXPECT_EQ(pack[at + 1], 0);
}

// The pack's end mark needs two bytes of room; a file needs its length and 8.
TEST(ResourcePack, CapacityDecidesTheEndMarkAndStopsAFileThatDoesNotFit) {
  struct Case {
    uint32_t length;
    size_t packed;
  };
  const Case cases[] = {{ResourcePackCapacity - 9, ResourcePackCapacity - 1},
                        {ResourcePackCapacity - 10, ResourcePackCapacity}};
  for (const Case& c : cases) {
    Bytes bytes(c.length, 0x11);
    ResourceFile file{300, 1, ImageSlot{bytes.data(), c.length}};
    Bytes pack;
    BuildResourcePack(&file, 1, pack);
    EXPECT_EQ(pack.size(), c.packed) << c.length;
    EXPECT_EQ(pack.back(), c.packed == ResourcePackCapacity ? 0xFF : static_cast<uint8_t>(~(Crc(bytes.data(), bytes.size()) >> 8)));
  }
  Bytes bytes(ResourcePackCapacity - 7, 0x11);
  ResourceFile file{300, 1, ImageSlot{bytes.data(), static_cast<uint32_t>(bytes.size())}};
  Bytes pack;
  EXPECT_STOPS(BuildResourcePack(&file, 1, pack), "Cannot update unit resource file - too large");
}

}  // namespace
