// Putting a flash programmer into a unit's RAM: with the unit in its boot loader,
// the programmer's records go block by block to their RAM addresses, then the boot
// loader starts it. From then on the programmer answers the flash writes and file
// requests. ResetProgrammer restarts a running programmer between two flash writes.
#pragma once

#include <cstdint>
#include <string_view>

#include "protocol/unit_info.h"

// name: how the first line calls it; empty for "programmer". The unit runs the
// programmer (mode 3) at the programmer speed afterwards. False when a block was
// not acknowledged or a stop was requested; the caller stops or restarts the unit.
bool DownloadProgrammer(UnitInfo& unit, const ImageSlot& image, std::string_view name);
// One block into RAM, up to 8 attempts.
bool DownloadBlock(uint32_t address, const uint8_t* data, uint16_t length);
bool ResetProgrammer(const UnitInfo& unit);
