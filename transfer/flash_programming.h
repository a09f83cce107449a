// Writing a boot loader or unit software image into a unit's MCU flash through the
// flash programmer running in its RAM: one erase of the software's range, then one
// write request per record, stopping at the first record the unit cannot write.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"

// The programmer keeps running afterwards. False when the erase failed, a block was
// not acknowledged or reported a flash failure, or a stop was requested; the flash
// is then left partly written.
bool WriteSoftware(const UnitInfo& unit, const ImageSlot& image);
// One block into flash, up to 8 attempts; false also when the unit reports that it
// could not write it.
bool WriteBlock(uint32_t address, const uint8_t* data, uint16_t length);
