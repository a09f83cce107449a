// The two checksums of the link and of unit files.
//
// CRC-16/MODBUS: one program-wide accumulator. Call CrcTake once to reset, CrcAdd
// each byte (or a buffer at a time), and CrcTake again for the result, whose bytes
// are swapped so that PutWord writes it low byte first as the frame wants.
//
// Fletcher-32 over big-endian 16-bit words, with the same take-add-take pattern.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

void CrcAdd(uint8_t byte);
void CrcAdd(std::span<const uint8_t> bytes);
uint16_t CrcTake();

// The CRC register after `bytes`, starting from `crc` (reflected 0xA001, no final XOR,
// no byte swap). Touches no accumulator, for code that must not disturb the
// program-wide one.
uint16_t CrcUpdate(uint16_t crc, std::span<const uint8_t> bytes);

struct Fletcher {
  uint32_t sum1 = 0xFFFF;
  uint32_t sum2 = 0xFFFF;
  uint32_t count = 0;  // bytes since the last fold
};
void FletcherAdd(Fletcher& state, uint8_t byte);
// The same state as adding the bytes one at a time, whatever was added before.
void FletcherAdd(Fletcher& state, std::span<const uint8_t> bytes);
uint32_t FletcherTake(Fletcher& state);

// The CRC of a whole buffer as CrcTake gives it (a reset, the bytes, the result).
uint16_t CrcOf(std::string_view bytes);
