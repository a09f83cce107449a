#include "generic/checksum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "testing/pseudorandom.h"

namespace {

TEST(Crc, ModbusCheckValueWithBytesSwapped) {
  EXPECT_EQ(CrcOf("123456789"), 0x374B);
  EXPECT_EQ(CrcOf(std::string("\x01\x45\x10\x1B", 4)), 0x5DC6);
}

// Bit by bit, as the register is defined: the reference the table-driven forms must match.
uint16_t ReferenceCrc(uint16_t crc, std::span<const uint8_t> bytes) {
  for (uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

uint16_t Swapped(uint16_t value) { return static_cast<uint16_t>(value << 8 | value >> 8); }

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::vector<uint8_t> RandomBytes(size_t length, Pseudorandom& random) {
  std::vector<uint8_t> bytes(length);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random.Next());
  return bytes;
}

// Every tail of the eight-byte loop, both sides of the 359-word Fletcher block and of
// two blocks, and one buffer large enough for many of each.
constexpr size_t TailLengths[] = {0, 1, 2, 3, 7, 8, 9, 15, 16, 17, 717, 718, 719, 1435, 1436, 1437, 100003};

TEST(Crc, RegisterCheckValues) {
  EXPECT_EQ(CrcUpdate(0xFFFF, AsBytes("123456789")), 0x4B37);
  EXPECT_EQ(CrcUpdate(0xFFFF, {}), 0xFFFF);
  // A frame followed by its CRC, low byte first, leaves nothing in the register:
  // how a received packet is checked.
  EXPECT_EQ(CrcUpdate(0xFFFF, AsBytes(std::string_view("123456789\x37\x4B", 11))), 0);
}

TEST(Crc, EveryFormAgreesWithBitByBitReference) {
  Pseudorandom random(20240611);
  for (size_t length : TailLengths) {
    // An odd start inside the buffer catches loads that assume alignment.
    for (size_t offset : {0u, 3u}) {
      std::vector<uint8_t> buffer = RandomBytes(offset + length, random);
      auto bytes = std::span<const uint8_t>(buffer).subspan(offset);
      uint16_t expected = ReferenceCrc(0xFFFF, bytes);
      SCOPED_TRACE(testing::Message() << "length " << length << " offset " << offset);

      EXPECT_EQ(CrcUpdate(0xFFFF, bytes), expected);
      EXPECT_EQ(CrcUpdate(0x1D0F, bytes), ReferenceCrc(0x1D0F, bytes)) << "from a register other than the start";
      EXPECT_EQ(CrcOf(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())), Swapped(expected));
      CrcTake();
      CrcAdd(bytes);
      EXPECT_EQ(CrcTake(), Swapped(expected)) << "buffer into the accumulator";
      for (uint8_t byte : bytes) CrcAdd(byte);
      EXPECT_EQ(CrcTake(), Swapped(expected)) << "byte by byte into the accumulator";
    }
  }
}

TEST(Crc, PiecesOfAnySizeGiveTheCrcOfTheWhole) {
  Pseudorandom random(4711);
  std::vector<uint8_t> bytes = RandomBytes(5003, random);
  uint16_t expected = ReferenceCrc(0xFFFF, bytes);
  for (int round = 0; round < 20; ++round) {
    CrcTake();
    uint16_t crc = 0xFFFF;
    for (size_t position = 0; position < bytes.size();) {
      // Empty pieces and pieces shorter than eight bytes included, at every phase.
      size_t size = std::min<size_t>(random.Next() % 40, bytes.size() - position);
      auto piece = std::span<const uint8_t>(bytes).subspan(position, size);
      if (random.Next() % 3 == 0) {
        for (uint8_t byte : piece) CrcAdd(byte);
      } else {
        CrcAdd(piece);
      }
      crc = CrcUpdate(crc, piece);
      position += size;
    }
    EXPECT_EQ(crc, expected) << "round " << round;
    EXPECT_EQ(CrcTake(), Swapped(expected)) << "round " << round;
  }
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

auto Fields(const Fletcher& state) { return std::tuple(state.sum1, state.sum2, state.count); }

TEST(Fletcher, CheckValues) {
  // The published Fletcher-32 values of these strings (0xF04FC729, 0x56502D2A,
  // 0xEBE19591) are over little-endian words; big-endian words rotate each sum by
  // eight bits, which swaps the bytes of each half.
  struct Case {
    std::string_view text;
    uint32_t expected;
  };
  for (auto [text, expected] : {Case{"abcde", 0x4FF029C7}, Case{"abcdef", 0x50562A2D}, Case{"abcdefgh", 0xE1EB9195}}) {
    Fletcher state;
    FletcherAdd(state, AsBytes(text));
    EXPECT_EQ(FletcherTake(state), expected) << text;
    EXPECT_EQ(Fletcher32(std::string(text)), expected) << text;
  }
}

TEST(Fletcher, BufferFormAgreesWithReferenceAndByteForm) {
  Pseudorandom random(1234);
  for (size_t length : TailLengths) {
    for (size_t offset : {0u, 3u}) {
      // All 0xFF drives the sums as high as they go between folds.
      for (bool ones : {false, true}) {
        std::vector<uint8_t> buffer =
            ones ? std::vector<uint8_t>(offset + length, 0xFF) : RandomBytes(offset + length, random);
        auto bytes = std::span<const uint8_t>(buffer).subspan(offset);
        SCOPED_TRACE(testing::Message() << "length " << length << " offset " << offset << " ones " << ones);

        Fletcher byByte, whole;
        for (uint8_t byte : bytes) FletcherAdd(byByte, byte);
        FletcherAdd(whole, bytes);
        EXPECT_EQ(Fields(whole), Fields(byByte)) << "the state a later call carries on from";
        // The sums never reach zero, so the result is exact, not just the same residue.
        EXPECT_EQ(FletcherTake(whole), ReferenceFletcher(std::string(bytes.begin(), bytes.end())));
        EXPECT_EQ(Fields(whole), Fields(Fletcher{})) << "taking resets";
      }
    }
  }
}

TEST(Fletcher, PiecesOfAnySizeCarryTheStateOfTheWhole) {
  Pseudorandom random(815);
  for (bool ones : {false, true}) {
    std::vector<uint8_t> bytes = ones ? std::vector<uint8_t>(6001, 0xFF) : RandomBytes(6001, random);
    uint32_t expected = ReferenceFletcher(std::string(bytes.begin(), bytes.end()));
    for (int round = 0; round < 20; ++round) {
      Fletcher pieces, byByte;
      for (size_t position = 0; position < bytes.size();) {
        // Odd pieces split words between calls; now and then one spans a fold.
        size_t limit = random.Next() % 8 == 0 ? 1500 : 40;
        size_t size = std::min<size_t>(random.Next() % limit, bytes.size() - position);
        auto piece = std::span<const uint8_t>(bytes).subspan(position, size);
        if (size == 1 && random.Next() % 2 == 0) {
          FletcherAdd(pieces, piece[0]);
        } else {
          FletcherAdd(pieces, piece);
        }
        for (uint8_t byte : piece) FletcherAdd(byByte, byte);
        position += size;
        ASSERT_EQ(Fields(pieces), Fields(byByte)) << "round " << round << " at " << position << " ones " << ones;
      }
      EXPECT_EQ(FletcherTake(pieces), expected) << "round " << round << " ones " << ones;
    }
  }
}

}  // namespace
