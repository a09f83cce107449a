// The calls that make a unit write its setup, its Modbus register table or its
// fieldbus data table as files on its drive 1, or load a setup from there, and report
// how far it has got (function 0x46). Each family of calls carries a 3-bit sequence
// number that the unit echoes, so that a late reply to an earlier call is never taken
// for the answer to this one.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"

inline constexpr uint16_t SetupFileId = 74;
inline constexpr uint16_t ModbusFileId = 265;
inline constexpr uint16_t FieldbusFileId = 263;
inline constexpr uint8_t SetupDrive = 1;

// The load types, in the order the operator is offered them.
inline constexpr int LoadTypeCount = 9;
struct LoadType {
  const char* text;
  uint8_t type;
};
inline constexpr LoadType LoadTypes[LoadTypeCount] = {
    {"clone unit", 0x3E},       {"replace unit", 0x3F},  {"load macros", 0x32},
    {"load loadcell cal", 0x34}, {"load memory", 0x33},   {"load comms ports", 0x35},
    {"load fieldbus", 0x36},    {"load customisation", 0x37}, {"load other", 0x31},
};

// Each call makes up to 8 attempts and writes "COMPLETE" when one is accepted. The
// status calls give 0 when the unit has finished, anything else while it works.
bool LoadSetup(const UnitInfo& unit, uint8_t type);
bool SaveSetup(const UnitInfo& unit);
bool SaveLoadStatus(const UnitInfo& unit, uint8_t& status);
bool SaveModbusConfig(const UnitInfo& unit);
bool SaveModbusConfigStatus(const UnitInfo& unit, uint8_t& status);
bool SaveFieldbusConfig(const UnitInfo& unit);
bool SaveFieldbusConfigStatus(const UnitInfo& unit, uint8_t& status);

// The three sequence counters start again from 0 (a new program run, a test).
void ResetSetupSequences();
