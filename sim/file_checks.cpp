#include "sim/file_checks.h"

#include <algorithm>

#include "sim/frame.h"

std::array<uint32_t, 4> UnitFileChecksums(std::span<const uint8_t> bytes) {
  std::array<uint32_t, 4> sums{};
  auto rotate = [](uint32_t value) { return (value >> 1) | (value << 31); };
  // A block is 256 bytes; the last one is padded with zeros, which still count.
  for (size_t start = 0; start < bytes.size(); start += 256) {
    uint8_t block[256] = {};
    std::copy_n(bytes.begin() + static_cast<long>(start), std::min<size_t>(256, bytes.size() - start), block);
    for (int i = 0; i < 64; ++i) {
      uint32_t word = uint32_t{block[4 * i]} | uint32_t{block[4 * i + 1]} << 8 | uint32_t{block[4 * i + 2]} << 16 |
                      uint32_t{block[4 * i + 3]} << 24;
      int lane = i & 3;
      if (lane == 0 || lane == 2) sums[0] += word;
      if (lane == 0 || lane == 3) sums[1] = rotate(sums[1]) ^ word;
      if (lane == 1 || lane == 2) sums[2] = rotate(sums[2]) ^ word;
      if (lane == 1 || lane == 3) sums[3] += word;
    }
  }
  return sums;
}

uint16_t UnitFileCrc(std::span<const uint8_t> bytes) {
  uint16_t crc = FrameCrc(bytes);
  return static_cast<uint16_t>(crc << 8 | crc >> 8);
}
