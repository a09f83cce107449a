// A unit's commissioning settings (procedure 0x1080): read or written by number, each
// answered with its value, decimals, count-by and units text. The three read-outs the
// tool shows follow the load on the unit, which the simulator lets drift slowly about
// the value the system file gives them.
#include <bit>
#include <cmath>
#include <numbers>

#include "sim/procedures.h"
#include "sim/simulator.h"

namespace {

constexpr uint8_t ReadAccess = 5;
constexpr uint8_t WriteAccess = 6;
constexpr uint16_t Readouts[] = {8740, 8700, 8800};
// One swing of the load every 30 seconds, by 2% of the value.
constexpr double DriftPeriodSeconds = 30;
constexpr double DriftShare = 0.02;

bool IsReadout(uint16_t number) {
  for (uint16_t readout : Readouts) {
    if (readout == number) return true;
  }
  return false;
}

float LiveValue(const UnitSetting& setting, uint64_t microseconds) {
  if (!IsReadout(setting.number)) return setting.value;
  double phase = 2 * std::numbers::pi * (static_cast<double>(microseconds) / 1e6) / DriftPeriodSeconds;
  return static_cast<float>(setting.value * (1 + DriftShare * std::sin(phase)));
}

// A float goes as two words, the low-order word first.
void AppendSettingFloat(Bytes& bytes, float value) {
  uint32_t bits = std::bit_cast<uint32_t>(value);
  AppendWord(bytes, static_cast<uint16_t>(bits));
  AppendWord(bytes, static_cast<uint16_t>(bits >> 16));
}

}  // namespace

bool AnswerAccessSetting(Call& call) {
  uint32_t bits = static_cast<uint32_t>(WordAt(call.arguments, 2)) << 16 | WordAt(call.arguments, 0);
  uint16_t number = WordAt(call.arguments, 4);
  uint8_t access = call.arguments[6];
  UnitSetting* setting = nullptr;
  for (UnitSetting& own : call.unit.settings) {
    if (own.number == number) setting = &own;
  }
  if (setting == nullptr) return Refuse(call, "no setting " + std::to_string(number));
  if (access != ReadAccess && access != WriteAccess) return Refuse(call, "setting access " + std::to_string(access));
  if (access == WriteAccess) setting->value = std::bit_cast<float>(bits);

  Bytes& results = call.results;
  results.push_back(static_cast<uint8_t>((setting->decimals & 0x0F) | ((setting->countBy >> 8) & 0x0F) << 4));
  results.push_back(static_cast<uint8_t>(setting->countBy));
  AppendSettingFloat(results, LiveValue(*setting, call.system.Now()));
  for (int i = 0; i < 5; ++i) AppendSettingFloat(results, 0);
  results.push_back(0);  // a byte the tool drops
  results.push_back(0);  // format
  results.push_back(static_cast<uint8_t>(setting->unitsText.size()));
  results.push_back(0);  // no second text
  results.push_back(0);  // no third text
  results.push_back(0);  // unit byte
  results.insert(results.end(), setting->unitsText.begin(), setting->unitsText.end());
  results.push_back(0);  // nothing to skip
  return true;
}
