#include "generic/checksum.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

uint16_t crcAccumulator = 0;

constexpr uint16_t CrcPolynomial = 0xA001;

// crcTables[k][b]: the register contribution of byte b followed by k zero bytes, so
// that eight bytes fold into the register with eight independent lookups instead
// of a chain of eight dependent ones.
using CrcTable = std::array<uint16_t, 256>;
constexpr std::array<CrcTable, 8> MakeCrcTables() {
  std::array<CrcTable, 8> tables{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    uint16_t crc = static_cast<uint16_t>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ CrcPolynomial) : crc >> 1;
    tables[0][byte] = crc;
  }
  for (size_t k = 1; k < tables.size(); ++k) {
    for (unsigned byte = 0; byte < 256; ++byte) {
      uint16_t previous = tables[k - 1][byte];
      tables[k][byte] = static_cast<uint16_t>((previous >> 8) ^ tables[0][previous & 0xFF]);
    }
  }
  return tables;
}
constexpr std::array<CrcTable, 8> crcTables = MakeCrcTables();

uint16_t CrcStep(uint16_t crc, uint8_t byte) {
  return static_cast<uint16_t>((crc >> 8) ^ crcTables[0][(crc ^ byte) & 0xFF]);
}

// The sums are folded often enough (every 718 bytes) that they cannot overflow 32 bits.
constexpr uint32_t FletcherFoldInterval = 718;

uint32_t Fold(uint32_t sum) { return (sum & 0xFFFF) + (sum >> 16); }

}  // namespace

void CrcAdd(uint8_t byte) { crcAccumulator = CrcStep(crcAccumulator, byte); }

void CrcAdd(std::span<const uint8_t> bytes) { crcAccumulator = CrcUpdate(crcAccumulator, bytes); }

uint16_t CrcUpdate(uint16_t crc, std::span<const uint8_t> bytes) {
  const uint8_t* p = bytes.data();
  size_t left = bytes.size();
  // The register is reflected: its low byte meets the first byte, its high byte the second.
  for (; left >= 8; p += 8, left -= 8) {
    crc = static_cast<uint16_t>(crcTables[7][(crc ^ p[0]) & 0xFF] ^ crcTables[6][(crc >> 8) ^ p[1]] ^
                                crcTables[5][p[2]] ^ crcTables[4][p[3]] ^ crcTables[3][p[4]] ^ crcTables[2][p[5]] ^
                                crcTables[1][p[6]] ^ crcTables[0][p[7]]);
  }
  for (; left > 0; ++p, --left) crc = CrcStep(crc, *p);
  return crc;
}

uint16_t CrcTake() {
  uint16_t result = static_cast<uint16_t>((crcAccumulator << 8) | (crcAccumulator >> 8));
  crcAccumulator = 0xFFFF;
  return result;
}

uint16_t CrcOf(std::string_view bytes) {
  CrcTake();
  CrcAdd(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  return CrcTake();
}

void FletcherAdd(Fletcher& state, uint8_t byte) {
  if (state.count % 2 == 0) {
    state.sum1 += uint32_t{byte} * 256;
  } else {
    state.sum1 += byte;
    state.sum2 += state.sum1;
  }
  if (++state.count == FletcherFoldInterval) {
    state.sum1 = Fold(state.sum1);
    state.sum2 = Fold(state.sum2);
    state.count = 0;
  }
}

void FletcherAdd(Fletcher& state, std::span<const uint8_t> bytes) {
  const uint8_t* p = bytes.data();
  size_t left = bytes.size();
  // A word split between calls is completed first, so the loop below sees whole words.
  if (left > 0 && state.count % 2 == 1) {
    FletcherAdd(state, *p++);
    --left;
  }
  // The folds land on the same bytes as in the byte-at-a-time form, so the state
  // between calls (and so every result) stays the same to the bit.
  uint32_t sum1 = state.sum1;
  uint32_t sum2 = state.sum2;
  uint32_t count = state.count;
  while (left >= 2) {
    size_t words = std::min<size_t>(left / 2, (FletcherFoldInterval - count) / 2);
    for (const uint8_t* end = p + 2 * words; p != end; p += 2) {
      sum1 += uint32_t{p[0]} << 8 | p[1];
      sum2 += sum1;
    }
    left -= 2 * words;
    count += static_cast<uint32_t>(2 * words);
    if (count == FletcherFoldInterval) {
      sum1 = Fold(sum1);
      sum2 = Fold(sum2);
      count = 0;
    }
  }
  state.sum1 = sum1;
  state.sum2 = sum2;
  state.count = count;
  if (left == 1) FletcherAdd(state, *p);
}

uint32_t FletcherTake(Fletcher& state) {
  if (state.count % 2 == 1) state.sum2 += state.sum1;
  uint32_t sum1 = Fold(Fold(state.sum1));
  uint32_t sum2 = Fold(Fold(state.sum2));
  state = Fletcher{};
  return (sum2 << 16) | sum1;
}
