// The checks of unit files on the examples a unit's own firmware agrees with.
#include "transfer/file_checksums.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Example {
  const char* what;
  std::vector<uint8_t> bytes;
  FileChecksumSet sums;
};

TEST(FileChecksumsTest, TheFourSumsOverWordsInBlocksOf64) {
  std::vector<uint8_t> second(257, 0);
  second[256] = 0x01;
  const Example examples[] = {
      {"empty", {}, {{0, 0, 0, 0}}},
      // The zero words that complete the block rotate the second sum 31 more times.
      {"01 02 03 04", {1, 2, 3, 4}, {{0x04030201, 0x08060402, 0, 0}}},
      {"two words", {1, 0, 0, 0, 2, 0, 0, 0}, {{1, 2, 4, 2}}},
      {"abc", {'a', 'b', 'c'}, {{0x00636261, 0x00C6C4C2, 0, 0}}},
      // The sums run on into the second block.
      {"a 1 opening the second block", second, {{1, 2, 0, 0}}},
  };
  for (const Example& example : examples) {
    SCOPED_TRACE(example.what);
    FileChecksumSet sums = FileChecksums(example.bytes.data(), static_cast<uint32_t>(example.bytes.size()));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(sums.value[i], example.sums.value[i]) << "Checksum" << i + 1;
  }
}

TEST(FileChecksumsTest, TheFileCrcAndTheFletcherTrailerOfAbc) {
  const uint8_t abc[] = {'a', 'b', 'c'};
  // CRC-16/MODBUS 0x5749 with its bytes exchanged: the trailer bytes are 49 57.
  EXPECT_EQ(FileCrc(abc, 3), 0x4957);
  EXPECT_EQ(FileFletcher(abc, 3), 0x25C5C462u);
  EXPECT_EQ(FileCrc(nullptr, 0), 0xFFFF);
}

}  // namespace
