#include "generic/checksum.h"

namespace {

uint16_t crcAccumulator = 0;

// The sums are folded often enough (every 718 bytes) that they cannot overflow 32 bits.
constexpr uint32_t FletcherFoldInterval = 718;

uint32_t Fold(uint32_t sum) { return (sum & 0xFFFF) + (sum >> 16); }

}  // namespace

void CrcAdd(uint8_t byte) {
  crcAccumulator ^= byte;
  for (int bit = 0; bit < 8; ++bit) {
    bool carry = crcAccumulator & 1;
    crcAccumulator >>= 1;
    if (carry) crcAccumulator ^= 0xA001;
  }
}

uint16_t CrcTake() {
  uint16_t result = static_cast<uint16_t>((crcAccumulator << 8) | (crcAccumulator >> 8));
  crcAccumulator = 0xFFFF;
  return result;
}

uint16_t CrcOf(std::string_view bytes) {
  CrcTake();
  for (char c : bytes) CrcAdd(static_cast<uint8_t>(c));
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

uint32_t FletcherTake(Fletcher& state) {
  if (state.count % 2 == 1) state.sum2 += state.sum1;
  uint32_t sum1 = Fold(Fold(state.sum1));
  uint32_t sum2 = Fold(Fold(state.sum2));
  state = Fletcher{};
  return (sum2 << 16) | sum1;
}
