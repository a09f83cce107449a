// One commissioning setting of a unit, read or written by its number (procedure
// 0x1080). The unit answers with the value and how to show it: decimals, count-by and
// the units text, with further figures and texts the tool keeps but does not use.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"
#include "runtime/string.h"

inline constexpr uint8_t SettingRead = 5;
inline constexpr uint8_t SettingWrite = 6;

struct SettingRecord {
  float value = 0;
  uint16_t decimals = 0;
  uint16_t countby = 0;
  float further[5] = {};
  uint8_t format = 0;
  uint8_t selector = 0;
  uint8_t unit = 0;
  String unitstext;
  String secondtext;
  String thirdtext;
};

// Access SettingRead or SettingWrite (the record's value is written first; the reply
// describes the setting after the write). Up to 8 attempts; false at once, without a
// request, for a unit whose software predates 6.00. The record is filled only from an
// accepted reply.
bool AccessSetting(const UnitInfo& unit, uint16_t number, uint8_t access, SettingRecord& record);
