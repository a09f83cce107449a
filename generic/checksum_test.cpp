#include "generic/checksum.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/pseudorandom.h"

namespace {

TEST(Crc, ModbusCheckValueWithBytesSwapped) {
  EXPECT_EQ(CrcOf("123456789"), 0x374B);
  EXPECT_EQ(CrcOf(std::string("\x01\x45\x10\x1B", 4)), 0x5DC6);
}

TEST(Crc, TakeResetsBetweenMessages) {
  CrcTake();
  for (char c : std::string("garbage")) CrcAdd(static_cast<uint8_t>(c));
  CrcTake();
  for (char c : std::string("123456789")) CrcAdd(static_cast<uint8_t>(c));
  EXPECT_EQ(CrcTake(), 0x374B);
}

// Fletcher-32 over big-endian 16-bit words, folded once at the end: the reference the
// running sums (folded every 718 bytes) must agree with.
uint32_t ReferenceFletcher(const std::string& bytes) {
  uint64_t sum1 = 0xFFFF, sum2 = 0xFFFF;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    uint64_t word = uint64_t{static_cast<uint8_t>(bytes[i])} << 8;
    if (i + 1 < bytes.size()) word |= static_cast<uint8_t>(bytes[i + 1]);
    sum1 = (sum1 + word) % 0xFFFF;
    sum2 = (sum2 + sum1) % 0xFFFF;
  }
  if (sum1 == 0) sum1 = 0xFFFF;
  if (sum2 == 0) sum2 = 0xFFFF;
  return static_cast<uint32_t>(sum2 << 16 | sum1);
}

uint32_t Fletcher32(const std::string& bytes) {
  Fletcher state;
  FletcherTake(state);
  for (char c : bytes) FletcherAdd(state, static_cast<uint8_t>(c));
  return FletcherTake(state);
}

TEST(Fletcher, AgreesWithReferenceAcrossFoldsAndOddLengths) {
  Pseudorandom random;
  for (size_t length : {0u, 1u, 2u, 3u, 717u, 718u, 719u, 1436u, 5001u, 70000u}) {
    for (int fill : {0x00, 0xFF, -1}) {
      std::string bytes = fill < 0 ? random.Bytes(length) : std::string(length, static_cast<char>(fill));
      uint32_t expected = ReferenceFletcher(bytes);
      uint32_t actual = Fletcher32(bytes);
      // 0 and 0xFFFF are the same residue; the running sums may end on either.
      auto canonical = [](uint32_t v) {
        uint32_t low = v & 0xFFFF, high = v >> 16;
        return (high % 0xFFFF) << 16 | (low % 0xFFFF);
      };
      EXPECT_EQ(canonical(actual), canonical(expected)) << length << " " << fill;
    }
  }
}

}  // namespace
