// Moving a unit, or the flash programmer in its RAM, to another link speed together
// with the PC: ask with a procedure call, then switch the PC's port so both meet.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"

// The speed transfers ask for; 0 selects the default, 115200.
extern uint32_t ProgrammerBaudRate;

inline constexpr uint32_t UnitSpeeds[9] = {0, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
inline constexpr uint32_t ProgrammerSpeeds[9] = {0,      9600,   19200,  38400, 57600,
                                                 115200, 230400, 460800, 921600};
inline constexpr uint32_t ExtendedProgrammerSpeeds[10] = {0,      9600,   19200,  38400,  57600,
                                                          115200, 128000, 230400, 460800, 921600};

bool SetUnitBaudRate(const UnitInfo& unit, uint32_t speed);
bool SetProgrammerBaudRate(const UnitInfo& unit, uint32_t speed, bool extended);
