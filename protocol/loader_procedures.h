// Procedures of the boot loader and of the flash programmer running in a unit's RAM,
// addressed to LoaderAddress.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"

// Starts the program loaded at `address` in RAM. The PC's speed cycles between the
// old speed, 115200 and 9600 across the attempts, since the loader may already have
// switched.
bool TransferToRamProgram(uint32_t address);
bool GetProgrammerVersion(UnitInfo& unit);
// LPC MCUs only; others need no erase and succeed at once.
bool EraseRange(const UnitInfo& unit, uint32_t first, uint32_t last);
// LPC MCUs only. `result` receives the programmer's result byte.
bool EraseFMS(const UnitInfo& unit, uint8_t area, uint8_t& result);
// The loader's transfer buffer size into unit.buffersize (128 where it cannot say).
bool GetBufferSize(UnitInfo& unit);
