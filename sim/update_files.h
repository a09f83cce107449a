// What a unit does at its restart with the update files the tool left on its drives:
// the flash programmer on drive 193 (file 0, its CRC appended) applies a new boot
// loader (drive 1 file 258) and new software (file 259), each with its Fletcher-32
// sum appended, and makes a new resource pack (file 260) the live one (drive 177,
// stored inverted). A file whose sum is wrong is not applied. The programmer and the
// update files are gone afterwards.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/unit.h"

inline constexpr uint16_t BootLoaderUpdateFile = 258;
inline constexpr uint16_t SoftwareUpdateFile = 259;
inline constexpr uint16_t ResourcePackUpdateFile = 260;

// Fletcher-32 over big-endian 16-bit words, the sums starting at 0xFFFF.
uint32_t UpdateFileFletcher(std::span<const uint8_t> bytes);

// What the unit did, for the traffic log; nothing when it found no programmer.
std::vector<std::string> ApplyUpdateFiles(SimUnit& unit);
