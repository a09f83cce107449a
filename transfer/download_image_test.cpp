// The download image form: the placeholder set walks as the delivered images do,
// and an image that does not is refused with the file named, before anything is sent.
#include "transfer/download_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"
#include "transfer/image_catalogue.h"
#include "transfer/image_files.h"
#include "transfer/image_folder_fixture.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using DownloadImages = PlaceholderImages;

void PutLongAt(Bytes& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// An image of records of the given sizes from address 0x4000, TotalSize their sum.
Bytes Image(std::initializer_list<uint16_t> sizes) {
  Bytes image(8, 0);
  uint32_t address = 0x4000, total = 0;
  for (uint16_t size : sizes) {
    image.insert(image.end(), {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
                               static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
                               static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size)});
    image.insert(image.end(), size, 0x5A);
    address += size;
    total += size;
  }
  image.insert(image.end(), 4, 0xFF);
  PutLongAt(image, 4, total);
  return image;
}

struct Walked {
  uint32_t records = 0, data = 0, lastSize = 0;
  const uint8_t* end = nullptr;
};

Walked Walk(const ImageSlot& image) {
  Walked walked;
  RecordWalk walk = FirstRecord(image);
  DownloadRecord record;
  while (NextRecord(walk, record)) {
    ++walked.records;
    walked.data += record.size;
    walked.lastSize = record.size;
  }
  walked.end = walk.at + 4;
  return walked;
}

TEST_F(DownloadImages, EveryPlaceholderImageWalksFromOffset8ToItsLastByte) {
  int images = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(QUARNET_IMAGE_FOLDER)) {
    if (entry.path().extension() != ".img") continue;
    ++images;
    ImageSlot image{};
    String fault;
    ASSERT_TRUE(LoadImageFile(entry.path().filename().string(), true, image, fault)) << fault.View();
    Walked walked = Walk(image);
    EXPECT_EQ(walked.end, image.data + image.length) << entry.path();
    EXPECT_EQ(walked.data, ImageTotalSize(image)) << entry.path();
  }
  EXPECT_EQ(images, 28 + 7 + 7);
}

TEST_F(DownloadImages, PlaceholdersHaveTheLayoutOfTheDeliveredImages) {
  struct Case {
    const char* file;
    uint32_t length, transferAddr, firstAddress, firstSize, records, data, lastSize;
  };
  const Case cases[] = {
      {"programmer-KD5-LPC2478-normal-C3.img", 34948, 0x40000200, 0x40000000, 128, 261, 33370, 90},
      {"programmer-KT5-LPC1768-large-C4.img", 29484, 0x100002CD, 0x10000200, 8192, 4, 29448, 4872},
      {"programmer-KD6-LPC4337-large-C3.img", 38726, 0x10080315, 0x10080200, 8192, 5, 38684, 5916},
      {"bootloader-KT5-LPC4078.img", 12580, 0, 0, 768, 3, 12550, 3590},
      {"bootloader-KD6-LPC4337.img", 14372, 0x1A000000, 0x1A000000, 1024, 3, 14342, 5126},
      {"software-KT5-LPC1768.img", 464994, 0x4000, 0x4000, 8192, 57, 464640, 5888},
      {"software-KD6-LPC4337.img", 988386, 0x1A004000, 0x1A004000, 8192, 121, 987648, 4608},
  };
  for (const Case& c : cases) {
    ImageSlot image = RequireDownloadImage(c.file);
    EXPECT_EQ(image.length, c.length) << c.file;
    EXPECT_EQ(ImageTransferAddr(image), c.transferAddr) << c.file;
    RecordWalk walk = FirstRecord(image);
    DownloadRecord first;
    ASSERT_TRUE(NextRecord(walk, first));
    EXPECT_EQ(first.address, c.firstAddress) << c.file;
    EXPECT_EQ(first.size, c.firstSize) << c.file;
    Walked walked = Walk(image);
    EXPECT_EQ(walked.records, c.records) << c.file;
    EXPECT_EQ(walked.data, c.data) << c.file;
    EXPECT_EQ(walked.lastSize, c.lastSize) << c.file;
  }
}

TEST_F(DownloadImages, TheFolderIsNamedByTheEnvironmentElseItIsThePackagesOrBesideTheProgram) {
  EXPECT_EQ(ImageFolder().View(), QUARNET_IMAGE_FOLDER);
  UnsetVariable("VELANTORIMAGEDIR");
  TemporaryFolder prefix("prefix");
  fs::create_directories(prefix.Path("build"));
  fs::create_directories(prefix.Path("usr/share/quarnet"));
  std::string built = prefix.Path("build/quarnet");
  std::string installed = prefix.Path("usr/bin/quarnet");
  int argCount = ArgCount;
  const char* program = ArgList[0];
  ArgCount = 1;
  ArgList[0] = built.c_str();
  EXPECT_EQ(ImageFolder().View(), prefix.Path("build/images"));
  ArgList[0] = installed.c_str();
  EXPECT_EQ(ImageFolder().View(), prefix.Path("usr/share/quarnet/images"));
  ArgCount = argCount;
  ArgList[0] = program;
}

TEST(DownloadImageForm, EveryWayAnImageCanBeMalformedIsNamed) {
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* fault;
  };
  const Case cases[] = {
      {"a record running past the end", [](Bytes& b) { b[13] = 200; },
       "the record at offset 8 runs past the end"},
      {"no terminator", [](Bytes& b) { b.resize(b.size() - 4); },
       "no terminator after the record that ends at offset 120"},
      {"a cut record header",
       [](Bytes& b) {
         b.resize(b.size() - 4);
         b.insert(b.end(), {0, 0, 0x50, 0, 0});
       },
       "the record at offset 120 runs past the end"},
      {"bytes after the terminator", [](Bytes& b) { b.push_back(0); },
       "1 bytes follow the terminator at offset 120"},
      {"TotalSize not the sum", [](Bytes& b) { PutLongAt(b, 4, 101); },
       "TotalSize 101 is not the sum of the record sizes, 100"},
      {"an empty record", [](Bytes& b) { b[12] = 0, b[13] = 0; }, "the record at offset 8 holds 0 bytes"},
      {"a record beyond 8192 bytes", [](Bytes& b) { b[12] = 0x20, b[13] = 0x01; },
       "the record at offset 8 holds 8193 bytes"},
      {"no header", [](Bytes& b) { b.resize(7); }, "shorter than its 8-byte header: 7 bytes"},
      {"only a header", [](Bytes& b) { b.resize(8); }, "no terminator after the record that ends at offset 8"},
  };
  for (const Case& c : cases) {
    Bytes image = Image({60, 40});
    String fault;
    ASSERT_TRUE(CheckDownloadImage(image.data(), static_cast<uint32_t>(image.size()), fault)) << fault.View();
    c.damage(image);
    EXPECT_FALSE(CheckDownloadImage(image.data(), static_cast<uint32_t>(image.size()), fault)) << c.name;
    EXPECT_NE(fault.View().find(c.fault), std::string_view::npos) << c.name << ": " << fault.View();
  }
  Bytes empty = Image({});
  String fault;
  EXPECT_TRUE(CheckDownloadImage(empty.data(), static_cast<uint32_t>(empty.size()), fault)) << fault.View();
}

class DamagedImageFolder : public PlaceholderImages {
 protected:
  void SetUp() override {
    PlaceholderImages::SetUp();
    imageFolder.Set(folder.Path());
  }
  // A copy of the placeholder file, damaged.
  void Copy(const std::string& name, const std::function<void(Bytes&)>& damage) {
    std::ifstream in(std::string(QUARNET_IMAGE_FOLDER) + "/" + name, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    damage(bytes);
    std::ofstream(folder.Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  TemporaryFolder folder{"images"};
  SavedVariable imageFolder{"VELANTORIMAGEDIR"};
};

TEST_F(DamagedImageFolder, AFileThatCannotBeUsedIsNamedAndNothingIsSelected) {
  const char* name = "programmer-KD6-LPC4337-normal-C3.img";
  struct Case {
    std::function<void(Bytes&)> damage;
    std::string fault;
  };
  const Case cases[] = {
      {[](Bytes& b) { b.resize(b.size() - 4); }, " is not a download image: no terminator after the record"},
      {[](Bytes& b) { PutLongAt(b, 4, 40000); }, " is not a download image: TotalSize 40000 is not the sum"},
      {[](Bytes& b) { b.clear(); }, " is empty"},
  };
  for (const Case& c : cases) {
    Copy(name, c.damage);
    ImageSlot image{};
    String fault;
    EXPECT_FALSE(LoadImageFile(name, true, image, fault));
    EXPECT_TRUE(fault.View().starts_with("Image file " + folder.Path(name) + c.fault)) << fault.View();
    EXPECT_EQ(image.data, nullptr);
  }
  fs::remove(folder.Path(name));
  ImageSlot image{};
  String fault;
  EXPECT_FALSE(LoadImageFile(name, true, image, fault));
  EXPECT_EQ(fault.View(), "Cannot read image file " + folder.Path(name) + ": No such file or directory");

  Copy(name, [](Bytes& b) { b[12] = 0x7F; });
  UnitInfo kd6{};
  kd6.mcu = 6;
  kd6.unittype = UnitDisplay;
  kd6.bootversion = 3;
  kd6.buffersize = 128;
  EXPECT_STOPS(SelectFlashProgrammer(kd6),
               "Image file " + folder.Path(name) +
                   " is not a download image: the record at offset 8 holds 32640 bytes");
}

}  // namespace
