// The checks a unit keeps of its files, so that the tool can tell whether a file on a
// unit already equals its own copy without reading it back: four 32-bit checksums
// over little-endian words, the file CRC that travels as the file's property 1, and
// the Fletcher-32 sum that ends an update file.
#pragma once

#include <cstdint>

struct FileChecksumSet {
  uint32_t value[4];
};

// Over blocks of 64 words, the last one filled up with zero words; an empty file
// gives four zeros.
FileChecksumSet FileChecksums(const uint8_t* data, uint32_t length);
// CRC-16/MODBUS with its two bytes exchanged: written most significant byte first,
// the register's low byte leads.
uint16_t FileCrc(const uint8_t* data, uint32_t length);
// Fletcher-32 over big-endian 16-bit words, sum2 in the high half.
uint32_t FileFletcher(const uint8_t* data, uint32_t length);
