#include "sim/new_software.h"

namespace {

struct Build {
  uint16_t card;
  uint8_t mcu;
  uint32_t checksum;
  uint16_t crc;
};

constexpr Build Builds[] = {
    {647, 3, 0x7193221F, 0x304A},  // KD5, LPC2478
    {647, 7, 0xDFF7C009, 0x3C08},  // KD5, LPC4357
    {653, 6, 0x1CD6C5F0, 0x26D1},  // KD6, LPC4337
    {648, 5, 0xAA30E654, 0x5F8A},  // KT5, LPC1768
    {648, 4, 0xC1408AF7, 0xB2D1},  // KT5, LPC4078
    {659, 6, 0x20513140, 0xC139},  // KT7, LPC4337
    {649, 5, 0x46199722, 0x687D},  // KR5, LPC1768
};

}  // namespace

void RunNewSoftware(UnitIdentity& identity) {
  identity.softwareVersion = NewSoftwareVersion;
  identity.softwareBuild = NewSoftwareBuild;
  identity.bootFlags = 0;
  for (const Build& build : Builds) {
    if (build.card == identity.card && build.mcu == identity.mcu) {
      identity.checksum = build.checksum;
      identity.softwareCrc = build.crc;
    }
  }
}
