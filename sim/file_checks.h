// What a unit computes over a file it keeps, to answer the tool's attribute request:
// four 32-bit checksums over little-endian words in blocks of 64, and the file CRC
// (CRC-16/MODBUS, its two bytes exchanged) the tool stores as property 1.
#pragma once

#include <array>
#include <cstdint>
#include <span>

std::array<uint32_t, 4> UnitFileChecksums(std::span<const uint8_t> bytes);
uint16_t UnitFileCrc(std::span<const uint8_t> bytes);
