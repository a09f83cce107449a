// The two checksums of the link and of unit files.
//
// CRC-16/MODBUS: one program-wide accumulator. Call CrcTake once to reset, CrcAdd
// each byte, and CrcTake again for the result, whose bytes are swapped so that
// PutWord writes it low byte first as the frame wants.
//
// Fletcher-32 over big-endian 16-bit words, with the same take-add-take pattern.
#pragma once

#include <cstdint>
#include <string_view>

void CrcAdd(uint8_t byte);
uint16_t CrcTake();

struct Fletcher {
  uint32_t sum1 = 0xFFFF;
  uint32_t sum2 = 0xFFFF;
  uint32_t count = 0;  // bytes since the last fold
};
void FletcherAdd(Fletcher& state, uint8_t byte);
uint32_t FletcherTake(Fletcher& state);

// The CRC of a whole buffer as CrcTake gives it (a reset, the bytes, the result).
uint16_t CrcOf(std::string_view bytes);
