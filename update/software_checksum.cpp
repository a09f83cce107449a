#include "update/software_checksum.h"

#include "runtime/log.h"

namespace {

void PutChecks(const char* label, uint32_t checksum, uint16_t crc) {
  PutLine(DebugStream, label, Hex(checksum, 8), " CRC=", Hex(crc, 4));
}

}  // namespace

String UnsupportedUnitMessage(int unittype) {
  switch (unittype) {
    case UnitDisplay: return String::Constant("Unsupported unit L120");
    case UnitTransmitter: return String::Constant("Unsupported unit L138");
    case UnitRemoteIo: return String::Constant("Unsupported unit L147");
    default: return String::Constant("Unsupported unit L153");
  }
}

void PutChecksumComparison(const UnitInfo& unit, const SoftwareChecks& expected) {
  PutChecks("New software checksum=", expected.checksum, expected.crc);
  PutChecks("Current software checksum=", unit.checksum, unit.softwarecrc);
  bool differs = unit.checksum != expected.checksum || unit.softwarecrc != expected.crc;
  PutLine(DebugStream, differs ? "Current software is different than the new software"
                               : "Current software is the same as the new software");
}
