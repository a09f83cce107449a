#include "runtime/log.h"
#include "transfer/image_catalogue.h"
#include "update/software_update.h"

namespace {

// The numbers the operator quotes to the maker when the tool has no software for a unit.
const char* UnsupportedUnitMessage(int unittype) {
  switch (unittype) {
    case UnitDisplay: return "Unsupported unit L120";
    case UnitTransmitter: return "Unsupported unit L138";
    case UnitRemoteIo: return "Unsupported unit L147";
    default: return "Unsupported unit L153";
  }
}

void PutChecks(const char* label, uint32_t checksum, uint16_t crc) {
  PutText(DebugStream, label);
  PutHex8(DebugStream, checksum);
  PutText(DebugStream, " CRC=");
  PutHex4(DebugStream, crc);
  PutText(DebugStream, "\r\n");
}

}  // namespace

bool SoftwareChecksumDiffers(const UnitInfo& unit) {
  uint32_t checksum = 0;
  uint16_t crc = 0;
  if (!ExpectedSoftwareChecks(unit, checksum, crc)) FatalError(String::Constant(UnsupportedUnitMessage(unit.unittype)));
  PutChecks("New software checksum=", checksum, crc);
  PutChecks("Current software checksum=", unit.checksum, unit.softwarecrc);
  bool differs = unit.checksum != checksum || unit.softwarecrc != crc;
  PutText(DebugStream, differs ? "Current software is different than the new software\r\n"
                               : "Current software is the same as the new software\r\n");
  return differs;
}
