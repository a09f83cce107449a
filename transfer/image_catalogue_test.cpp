// Selection of the flash programmer, boot loader and software for a unit, over the
// placeholder image set the build wrote.
#include "transfer/image_catalogue.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "transfer/image_files.h"
#include "transfer/image_folder_fixture.h"

namespace {

using Catalogue = PlaceholderImages;

UnitInfo Unit(int mcu, int unittype, int bootversion = 3, int buffersize = 128) {
  UnitInfo unit{};
  unit.mcu = static_cast<int8_t>(mcu);
  unit.unittype = static_cast<int8_t>(unittype);
  unit.bootversion = static_cast<int8_t>(bootversion);
  unit.buffersize = buffersize;
  return unit;
}

// The length of the file in the image folder.
uint32_t FileLength(const std::string& name) {
  struct stat status {};
  EXPECT_EQ(stat((std::string(QUARNET_IMAGE_FOLDER) + "/" + name).c_str(), &status), 0) << name;
  return static_cast<uint32_t>(status.st_size);
}

TEST_F(Catalogue, TheFlashProgrammerFollowsMcuUnitTypeBootLoaderVersionAndBufferSize) {
  struct Case {
    int mcu, unittype, bootversion, buffersize;
    const char* file;
    uint32_t length;  // of the delivered image
    const char* line;
  };
  const Case cases[] = {
      {6, 2, 3, 200, "programmer-KT7-LPC4337-large-C3.img", 30308,
       "-- selected flash programmer for KT7 LPC4337 LARGE C3\r\n"},
      {6, 1, 3, 128, "programmer-KD6-LPC4337-normal-C3.img", 40514,
       "-- selected flash programmer for KD6 LPC4337 C3\r\n"},
      {6, 1, 3, 129, "programmer-KD6-LPC4337-large-C3.img", 38726,
       "-- selected flash programmer for KD6 LPC4337 LARGE C3\r\n"},
      {3, 4, 4, 100, "programmer-KD5-LPC2478-normal-C4.img", 34948,
       "-- selected flash programmer for KD5 LPC2478 C4\r\n"},
      {4, 3, 4, 8192, "programmer-KT5-LPC4078-large-C4.img", 29844,
       "-- selected flash programmer for KT5 LPC4078 LARGE C4\r\n"},
      {5, 3, 3, 8192, "programmer-KR5-LPC1768-large-C3.img", 28884,
       "-- selected flash programmer for KR5 LPC1768 LARGE C3\r\n-- using large packet flash programmer\r\n"},
      {5, 2, 4, 128, "programmer-KT5-LPC1768-normal-C4.img", 30846,
       "-- selected flash programmer for KT5 LPC1768 C4\r\n"},
      {7, 1, 4, 4096, "programmer-KD5-LPC4357-large-C4.img", 32172,
       "-- selected flash programmer for KD5 LPC4357 LARGE C4\r\n"},
  };
  for (const Case& c : cases) {
    console.Clear();
    UnitInfo unit = Unit(c.mcu, c.unittype, c.bootversion, c.buffersize);
    ASSERT_TRUE(SelectFlashProgrammer(unit)) << c.file;
    EXPECT_EQ(unit.ProgrammerImage.length, c.length) << c.file;
    EXPECT_EQ(FileLength(c.file), c.length);
    EXPECT_TRUE(Said(c.line)) << console.Text();
    EXPECT_EQ(Said("using large packet"), c.mcu == 5 && c.buffersize > 128) << c.file;
  }
}

TEST_F(Catalogue, UnitsWithoutAFlashProgrammerStopTheProgram) {
  for (int mcu = 3; mcu <= 7; ++mcu) {
    for (int version : {2, 5}) {
      UnitInfo unit = Unit(mcu, 1, version);
      EXPECT_STOPS(SelectFlashProgrammer(unit), "Quarnet cannot update this unit: unsupported boot loader version")
          << "MCU " << mcu << " boot loader version " << version;
    }
  }
  struct Case {
    int mcu, unittype, bootversion, buffersize;
    const char* message;
  };
  const Case cases[] = {
      {6, 3, 3, 128, "Unknown unit type \\(MCU LPC4337\\)"},
      {7, 2, 3, 128, "Unknown unit type \\(MCU LPC4357\\)"},
      {5, 1, 3, 128, "Unsupported unit L1045"},
      {5, 1, 3, 129, "Unsupported unit L1032"},
      {5, 4, 4, 128, "Unsupported unit L1104"},
      {5, 4, 4, 129, "Unsupported unit L1091"},
      {1, 1, 3, 128, "Cannot find a flash programmer for unit"},
      {2, 1, 3, 128, "Cannot find a flash programmer for unit"},
  };
  for (const Case& c : cases) {
    UnitInfo unit = Unit(c.mcu, c.unittype, c.bootversion, c.buffersize);
    EXPECT_STOPS(SelectFlashProgrammer(unit), c.message) << c.mcu << " " << c.unittype;
  }
}

// A record reused for another unit keeps no programmer of the unit before it.
TEST_F(Catalogue, AFailedSelectionKeepsNoEarlierProgrammer) {
  UnitInfo unit = Unit(6, 1);
  ASSERT_TRUE(SelectFlashProgrammer(unit));
  unit.mcu = 1;
  EXPECT_STOPS(SelectFlashProgrammer(unit), "Cannot find a flash programmer for unit");
}

TEST_F(Catalogue, BootLoaders) {
  struct Case {
    int mcu, unittype;
    uint32_t length;
  };
  const Case cases[] = {{3, 4, 13348}, {5, 2, 12068}, {5, 3, 12324}, {4, 1, 12580},
                        {6, 1, 14372}, {6, 2, 13860}, {7, 1, 15396}};
  for (const Case& c : cases) {
    UnitInfo unit = Unit(c.mcu, c.unittype);
    ASSERT_TRUE(SelectBootLoader(unit)) << c.mcu << " " << c.unittype;
    EXPECT_EQ(unit.BootLoaderImage.length, c.length);
  }
  for (int mcu : {0, 1, 2, 8}) {
    UnitInfo unit = Unit(mcu, 1);
    EXPECT_FALSE(SelectBootLoader(unit)) << mcu;
    EXPECT_EQ(unit.BootLoaderImage.data, nullptr);
  }
  UnitInfo kt7 = Unit(6, 3);
  EXPECT_STOPS(SelectBootLoader(kt7), "Unsupported unit L1563");
  UnitInfo kr5 = Unit(5, 1);
  EXPECT_STOPS(SelectBootLoader(kr5), "Unsupported unit L1551");
  UnitInfo kd5 = Unit(7, 2);
  EXPECT_STOPS(SelectBootLoader(kd5), "Unsupported unit L1574");
}

TEST_F(Catalogue, SoftwareImagesAndWhatTheUnitReportsOnceItRunsThem) {
  struct Case {
    int unittype, mcu;
    uint32_t length, checksum;
    uint16_t crc;
    const char* line;
  };
  const Case cases[] = {
      {1, 3, 409144, 0x7193221F, 0x304A, "-- selected unit is a Display\r\n"},
      {1, 7, 899744, 0xDFF7C009, 0x3C08, "-- selected unit is a Display\r\n"},
      {1, 6, 988386, 0x1CD6C5F0, 0x26D1, "-- selected unit is a Display\r\n"},
      {2, 5, 464994, 0xAA30E654, 0x5F8A, "-- selected unit is a Transmitter\r\n"},
      {2, 4, 496250, 0xC1408AF7, 0xB2D1, "-- selected unit is a Transmitter\r\n"},
      {2, 6, 693776, 0x20513140, 0xC139, "-- selected unit is a Transmitter\r\n"},
      {3, 5, 183446, 0x46199722, 0x687D, "-- selected unit is a IOUnit\r\n"},
  };
  for (const Case& c : cases) {
    console.Clear();
    UnitInfo unit = Unit(c.mcu, c.unittype);
    ASSERT_TRUE(SelectSoftwareImage(unit));
    EXPECT_EQ(unit.SoftwareImage.length, c.length);
    EXPECT_TRUE(Said(c.line)) << console.Text();
    uint32_t checksum = 0;
    uint16_t crc = 0;
    ASSERT_TRUE(ExpectedSoftwareChecks(unit, checksum, crc));
    EXPECT_EQ(checksum, c.checksum);
    EXPECT_EQ(crc, c.crc);
  }
  EXPECT_EQ(CatalogueSoftwareVersion, 610);
  EXPECT_EQ(CatalogueSoftwareBuild, 57);

  UnitInfo testJig = Unit(7, 4);
  uint32_t checksum = 0;
  uint16_t crc = 0;
  EXPECT_FALSE(ExpectedSoftwareChecks(testJig, checksum, crc));
  EXPECT_STOPS(SelectSoftwareImage(testJig), "No new software can be found for this unit");
  UnitInfo kr5Display = Unit(5, 1);
  EXPECT_STOPS(SelectSoftwareImage(kr5Display), "No new software can be found for this unit");
}

}  // namespace
