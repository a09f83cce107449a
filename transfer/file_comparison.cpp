// Whether a file on a unit must be written: its size and four checksums as the unit
// reports them, and on request the CRC that the last SendFile left as property 1.
#include <cstring>

#include "generic/aarray.h"
#include "runtime/log.h"
#include "transfer/file_checksums.h"
#include "transfer/file_sending.h"
#include "transfer/remote_file.h"

namespace {

constexpr uint8_t CrcProperty = 1;

void PutVelantorFile(uint8_t drive, uint16_t file) {
  PutPieces(DebugStream, "-- Velantor file ", Hex{drive, 2}, ":", Hex{file, 4});
}

void ReportUpToDate(uint8_t drive, uint16_t file) {
  PutVelantorFile(drive, file);
  PutText(DebugStream, " is up to date\r\n");
}

}  // namespace

bool FileNeedsUpdate(const UnitInfo& unit, uint8_t drive, uint16_t file, const uint8_t* data, uint32_t length,
                     bool checkCrc) {
  PutLine(DebugStream, "Checking if current file is different from new file for FileNo=", Hex{file, 4},
          " DriveNo=", Hex{drive, 2}, " Size=", length);
  uint8_t address = FileTargetAddress(unit);
  uint8_t result = 0;
  FileAttributes attributes{};
  if (!GetFileAttributes(address, drive, file, length, result, attributes) || result != 0) return true;

  FileChecksumSet sums = FileChecksums(data, length);
  if (attributes.size == length && std::memcmp(sums.value, attributes.checksums, sizeof sums.value) == 0) {
    if (!checkCrc) {
      ReportUpToDate(drive, file);
      return false;
    }
    // A property list the unit garbled, or one without the CRC, proves nothing: the
    // file is written again rather than taken for equal to a CRC it never had.
    const AArray& properties = attributes.properties;
    bool stored = CheckAA(properties) && HasAA(properties, CrcProperty);
    int64_t current = stored ? GetLargeIntAA(properties, CrcProperty) : 0;
    PutLine(DebugStream, "Current file CRC=", Hex{static_cast<uint64_t>(current) & 0xFFFF, 4});
    uint16_t crc = FileCrc(data, length);
    if (stored && current == crc) {
      ReportUpToDate(drive, file);
      return false;
    }
    PutLine(DebugStream, "New file CRC=", Hex{crc, 4});
    PutVelantorFile(drive, file);
    PutText(DebugStream, " CRC is different\r\n");
    return true;
  }
  PutPieces(DebugStream, "New file attributes: FileSize=", length);
  for (int i = 0; i < 4; ++i) PutPieces(DebugStream, " Checksum", i + 1, "=", Hex{sums.value[i], 8});
  PutLine(DebugStream);
  PutVelantorFile(drive, file);
  PutText(DebugStream, " checksums are different\r\n");
  return true;
}
