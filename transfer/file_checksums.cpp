#include "transfer/file_checksums.h"

#include <string_view>

#include "generic/checksum.h"

namespace {

constexpr uint32_t WordsPerBlock = 64;

uint32_t RotateRight(uint32_t value) { return value >> 1 | value << 31; }

// The little-endian word at `index`; bytes past the end count as 0.
uint32_t WordAt(const uint8_t* data, uint32_t length, uint64_t index) {
  uint32_t word = 0;
  for (uint64_t byte = 0; byte < 4; ++byte) {
    uint64_t position = index * 4 + byte;
    if (position < length) word |= uint32_t{data[position]} << (8 * byte);
  }
  return word;
}

}  // namespace

FileChecksumSet FileChecksums(const uint8_t* data, uint32_t length) {
  FileChecksumSet sums{};
  uint32_t& c1 = sums.value[0];
  uint32_t& c2 = sums.value[1];
  uint32_t& c3 = sums.value[2];
  uint32_t& c4 = sums.value[3];
  uint64_t words = (uint64_t{length} + 3) / 4;
  uint64_t blocks = (words + WordsPerBlock - 1) / WordsPerBlock;
  for (uint64_t index = 0; index < blocks * WordsPerBlock; ++index) {
    uint32_t w = WordAt(data, length, index);
    switch (index % 4) {
      case 0:
        c1 += w;
        c2 = RotateRight(c2) ^ w;
        break;
      case 1:
        c3 = RotateRight(c3) ^ w;
        c4 += w;
        break;
      case 2:
        c1 += w;
        c3 = RotateRight(c3) ^ w;
        break;
      case 3:
        c2 = RotateRight(c2) ^ w;
        c4 += w;
        break;
    }
  }
  return sums;
}

uint16_t FileCrc(const uint8_t* data, uint32_t length) {
  return CrcOf(std::string_view(reinterpret_cast<const char*>(data), length));
}

uint32_t FileFletcher(const uint8_t* data, uint32_t length) {
  Fletcher state;
  for (uint32_t i = 0; i < length; ++i) FletcherAdd(state, data[i]);
  return FletcherTake(state);
}
