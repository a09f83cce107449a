// A unit applying the update files the tool left, at its restart.
#include "sim/update_files.h"

#include <gtest/gtest.h>

#include "sim/file_checks.h"

namespace {

Bytes WithTrailer(Bytes body, uint32_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) body.push_back(static_cast<uint8_t>(value >> shift));
  return body;
}

Bytes Fletchered(const Bytes& body) { return WithTrailer(body, UpdateFileFletcher(body), 4); }

SimUnit KtSeven() {
  SimUnit unit;
  unit.description.address = 2;
  unit.description.identity.card = 659;
  unit.description.identity.mcu = 6;
  unit.description.identity.softwareVersion = 612;
  Bytes programmer(300, 0x5A);
  unit.files[{ProgrammerDrive, 0}] = SimFile{WithTrailer(programmer, UnitFileCrc(programmer), 2), {}};
  return unit;
}

TEST(UpdateFiles, FletcherSumOfTheKnownTexts) {
  EXPECT_EQ(UpdateFileFletcher(Bytes{'a', 'b', 'c'}), 0x25C5C462u);
  EXPECT_EQ(UpdateFileFletcher(Bytes{}), 0xFFFFFFFFu) << "the sums as they start";
}

TEST(UpdateFiles, GoodFilesAreAppliedAndRemoved) {
  SimUnit unit = KtSeven();
  unit.files[{FlashDrive, SoftwareUpdateFile}] = SimFile{Fletchered(Bytes(1001, 0x11)), {}};
  Bytes pack{1, 2, 3, 0xF0};
  unit.files[{FlashDrive, ResourcePackUpdateFile}] = SimFile{pack, {}};
  unit.files[{FlashDrive, 480}] = SimFile{Bytes{7}, {}};

  std::vector<std::string> notes = ApplyUpdateFiles(unit);

  EXPECT_EQ(notes, (std::vector<std::string>{"new software applied", "new resource pack applied"}));
  EXPECT_EQ(unit.Identity().softwareVersion, 610);
  EXPECT_EQ(unit.Identity().softwareBuild, 57);
  EXPECT_EQ(unit.Identity().checksum, 0x20513140u);
  EXPECT_EQ(unit.files.at({PackDrive, 0}).data, (Bytes{0xFE, 0xFD, 0xFC, 0x0F}));
  EXPECT_EQ(unit.files.size(), 2u) << "the language file and the live pack stay; the rest is gone";
}

TEST(UpdateFiles, ABadSumOrABadProgrammerLeavesTheOldSoftware) {
  SimUnit badSum = KtSeven();
  Bytes software = Fletchered(Bytes(64, 0x22));
  software.back() ^= 1;
  badSum.files[{FlashDrive, SoftwareUpdateFile}] = SimFile{software, {}};
  EXPECT_EQ(ApplyUpdateFiles(badSum),
            std::vector<std::string>{"the software update fails its checksum, the old software stays"});
  EXPECT_EQ(badSum.Identity().softwareVersion, 612);

  SimUnit badProgrammer = KtSeven();
  badProgrammer.files[{ProgrammerDrive, 0}].data.back() ^= 1;
  badProgrammer.files[{FlashDrive, SoftwareUpdateFile}] = SimFile{Fletchered(Bytes(64, 0x22)), {}};
  EXPECT_EQ(ApplyUpdateFiles(badProgrammer),
            std::vector<std::string>{"the update programmer fails its CRC, nothing applied"});
  EXPECT_EQ(badProgrammer.Identity().softwareVersion, 612);

  SimUnit none = KtSeven();
  none.files.clear();
  none.files[{FlashDrive, SoftwareUpdateFile}] = SimFile{Fletchered(Bytes(64, 0x22)), {}};
  EXPECT_TRUE(ApplyUpdateFiles(none).empty()) << "without a programmer nothing runs";
  EXPECT_EQ(none.Identity().softwareVersion, 612);
}

}  // namespace
