// Writing whole files: a file with its CRC as a property, and an update file with the
// trailer the unit checks before it applies the file at its restart.
#include "transfer/file_sending.h"

#include <algorithm>

#include "generic/aarray.h"
#include "link/packet.h"
#include "protocol/remote_call.h"
#include "runtime/clock.h"
#include "runtime/log.h"
#include "runtime/program_state.h"
#include "runtime/window_hooks.h"
#include "transfer/file_checksums.h"
#include "transfer/file_transfer_report.h"
#include "transfer/remote_file.h"

namespace {

constexpr uint32_t ProgressStep = 512;

// The blocks of a file from offset 0, each handed to `each` after its write. False
// when a write fails or the operator stops.
template <typename Each>
bool WriteBlocks(uint8_t address, uint8_t drive, uint16_t file, const uint8_t* data, uint32_t length, Each each) {
  for (uint32_t offset = 0; offset < length; offset += RemoteFileBlock) {
    int chunk = static_cast<int>(std::min<uint32_t>(RemoteFileBlock, length - offset));
    PutText(DebugStream, "Writing ");
    PutTransferOffset(DebugStream, offset);
    PutText(DebugStream, "(");
    PutInt(DebugStream, chunk);
    PutText(DebugStream, ")\r\n");
    if (!WriteFileRemote(address, drive, file, offset, chunk, data + offset) || ExitRequested) return false;
    each(offset);
  }
  return true;
}

bool CreateForWriting(const UnitInfo& unit, uint8_t drive, uint16_t file) {
  uint8_t result = 0;
  return CreateFile(FileTargetAddress(unit), drive, file, FileWritesRelayed(unit), result) && result == 0;
}

bool Flushed(uint8_t address, uint8_t drive, uint16_t file) {
  uint8_t result = 0;
  return FlushFileRemote(address, drive, file, result) && result == 0;
}

bool Closed(uint8_t address, uint8_t drive, uint16_t file) {
  uint8_t result = 0;
  if (!CloseFile(address, drive, file, result) || result != 0) return false;
  CallComplete();
  return true;
}

}  // namespace

uint8_t FileTargetAddress(const UnitInfo& unit) {
  if (unit.unitmode == ModeSoftware) return unit.SlaveAddress;
  if (unit.unitmode == ModeProgrammer) return LoaderAddress;
  FatalError("Cannot perform this operation, the unit is not in the correct mode");
}

bool FileWritesRelayed(const UnitInfo& unit) { return unit.unitmode == ModeSoftware && unit.softwareversion > 603; }

bool SendFile(const UnitInfo& unit, uint8_t drive, uint16_t file, const uint8_t* data, uint32_t length,
              bool addCrc) {
  uint8_t address = FileTargetAddress(unit);
  PutText(ReportStream, "Updating Velantor file ");
  PutHex2(DebugStream, drive);
  PutText(DebugStream, ":");
  PutHex4(DebugStream, file);
  PutText(DebugStream, " ");
  PutInt(ReportStream, length);
  PutText(ReportStream, " bytes\r\n");
  if (!CreateForWriting(unit, drive, file)) return false;

  --ReportLevel;
  TransferClock started = StartTransferClock();
  bool written = WriteBlocks(address, drive, file, data, length, [length](uint32_t offset) {
    if (offset % ProgressStep == ProgressStep - RemoteFileBlock) ProgressTick();
    ProgressDots(offset + RemoteFileBlock, length);
  });
  if (!written || !Flushed(address, drive, file)) {
    ++ReportLevel;
    return false;
  }
  ProgressDotsEnd();
  PutTransferStatistics(started);
  if (addCrc) {
    uint16_t crc = FileCrc(data, length);
    PutLine(DebugStream, "\r\nAdding CRC=", Hex{crc, 4});
    AArray properties;
    SetUIntAA(properties, 1, crc);
    SetFileProperties(address, drive, file, properties);
  }
  ++ReportLevel;
  return Closed(address, drive, file);
}

bool WriteSoftwareUpdateFile(const UnitInfo& unit, uint8_t drive, uint16_t file, const uint8_t* data,
                             uint32_t length, UpdateTrailer trailer) {
  uint8_t address = FileTargetAddress(unit);
  PutLine(DebugStream, "Sending file ", file, " in drive ", drive, " to unit ", address);
  if (!CreateForWriting(unit, drive, file)) return false;

  --ReportLevel;
  TransferClock started = StartTransferClock();
  // The progress window is not stepped here (the caller counts its steps by files),
  // but its messages are pumped, so that the windows stay alive and a stop reaches
  // the loop during a long file.
  bool written = WriteBlocks(address, drive, file, data, length, [length](uint32_t offset) {
    if (offset % ProgressStep == ProgressStep - RemoteFileBlock) PumpWindowMessages();
    ProgressDots(offset, length);
  });
  if (written && trailer != NoTrailer) {
    uint8_t bytes[4];
    int count = 0;
    if (trailer == CrcTrailer) {
      PutText(DebugStream, "Adding CRC\r\n");
      uint16_t crc = FileCrc(data, length);
      bytes[count++] = static_cast<uint8_t>(crc >> 8);
      bytes[count++] = static_cast<uint8_t>(crc);
    } else {
      PutText(DebugStream, "Adding Checksum\r\n");
      uint32_t sum = FileFletcher(data, length);
      for (int shift = 24; shift >= 0; shift -= 8) bytes[count++] = static_cast<uint8_t>(sum >> shift);
    }
    written = WriteFileRemote(address, drive, file, length, count, bytes) && !ExitRequested;
  }
  if (!written || !Flushed(address, drive, file)) {
    ++ReportLevel;
    return false;
  }
  ++ReportLevel;
  ProgressDotsEnd();
  PutTransferStatistics(started);
  return Closed(address, drive, file);
}
