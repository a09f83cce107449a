// Whole files between the tool and a unit's drives: whether the unit's copy already
// equals the tool's, writing a file with its CRC as property 1, writing an update
// file with a checksum trailer for the unit to apply at its restart, and reading a
// file into memory. The requests go to the unit's software (mode 1) or to its flash
// programmer (mode 3); any other mode ends the program, since the caller's sequence
// has gone wrong. None of these stop the program otherwise: they return false, and
// the file stays open on the unit until the next open or create.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"

// What WriteSoftwareUpdateFile appends after the file.
enum UpdateTrailer : int {
  NoTrailer = 0,
  CrcTrailer = 1,       // the file CRC, 2 bytes
  ChecksumTrailer = 2,  // the Fletcher-32 sum, 4 bytes
};

// The address the file requests go to.
uint8_t FileTargetAddress(const UnitInfo& unit);
// Whether the unit takes its writes in the relayed form (software after 6.03).
bool FileWritesRelayed(const UnitInfo& unit);

// True when the file on the unit differs from `data` (or cannot be checked).
bool FileNeedsUpdate(const UnitInfo& unit, uint8_t drive, uint16_t file, const uint8_t* data, uint32_t length,
                     bool checkCrc);
bool SendFile(const UnitInfo& unit, uint8_t drive, uint16_t file, const uint8_t* data, uint32_t length,
              bool addCrc);
bool WriteSoftwareUpdateFile(const UnitInfo& unit, uint8_t drive, uint16_t file, const uint8_t* data,
                             uint32_t length, UpdateTrailer trailer);
// Every read needs room for a whole block, the last one too, which finds the end: a
// file of n bytes needs a capacity of at least n + 128.
bool ReceiveFile(const UnitInfo& unit, uint8_t drive, uint16_t file, uint8_t* buffer, uint32_t capacity,
                 uint32_t& size);
