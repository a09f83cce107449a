#include "transfer/flash_programming.h"

#include "protocol/loader_procedures.h"
#include "runtime/log.h"
#include "runtime/program_state.h"
#include "runtime/window_hooks.h"
#include "transfer/block_transfer.h"
#include "transfer/download_image.h"

namespace {

constexpr BlockCodes WriteCodes{0x1040, 0x1042, true};
// Boot loaders end below this offset of their 16 MB bank; the programmer erases
// their sectors itself. Software lies above it and is erased as one range first.
constexpr uint32_t SoftwareOffset = 0x4000;

void Debug(std::string_view text) { PutText(DebugStream, text); }

struct FlashRange {
  uint32_t first;  // the first nonzero record address
  uint32_t last;   // the last byte of the last record
};

FlashRange RangeOf(const ImageSlot& image) {
  FlashRange range{0, 0};
  RecordWalk walk = FirstRecord(image);
  DownloadRecord record;
  while (NextRecord(walk, record)) {
    if (range.first == 0) range.first = record.address;
    range.last = record.address + record.size - 1;
  }
  return range;
}

// A record the programmer cannot take would stop the write half way, the software
// erased and not yet written: it stops the program before the erase instead.
void CheckRecordsFit(const UnitInfo& unit, const ImageSlot& image) {
  RecordWalk walk = FirstRecord(image);
  DownloadRecord record;
  while (NextRecord(walk, record)) {
    if (record.size > unit.buffersize) FatalError("Unable to program unit: internal error (buffer size is too small)");
  }
}

}  // namespace

bool WriteBlock(uint32_t address, const uint8_t* data, uint16_t length) {
  BlockReply reply;
  if (!SendBlock(WriteCodes, address, data, length, reply)) return false;
  if (reply.result == 0) return true;
  PutLine(ReportStream, "\r\nUnit reported hardware failure, cannot write to MCU flash memory. Address=$",
          Hex{reply.address, 8}, ", Result=", Hex{reply.result, 2});
  return false;
}

bool WriteSoftware(const UnitInfo& unit, const ImageSlot& image) {
  PutText(ReportStream, "Updating Velantor software (do not turn off the power!)...\r\n");
  Debug("Writing to MCU flash\r\n");
  String fault;
  if (!CheckDownloadImage(image.data, image.length, fault)) {
    PutLine(ReportStream, "Cannot write to MCU flash: the image is not a download image: ", fault);
    return false;
  }
  CheckRecordsFit(unit, image);
  FlashRange range = RangeOf(image);
  if ((range.last & 0xFFFFFF) > SoftwareOffset && !EraseRange(unit, range.first, range.last)) return false;

  BulkTransfer transfer = BeginBulkTransfer();
  uint32_t total = ImageTotalSize(image);
  uint32_t done = 0;
  RecordWalk walk = FirstRecord(image);
  DownloadRecord record;
  while (NextRecord(walk, record)) {
    Debug("Programming $");
    PutHex8(DebugStream, record.address);
    Debug("(");
    PutInt(DebugStream, record.size);
    Debug(")\r\n");
    if (!WriteBlock(record.address, record.data, record.size) || ExitRequested) {
      RestoreReportLevel(transfer);
      return false;
    }
    done += record.size;
    ProgressDots(done, total);
    ProgressTick();
  }
  RestoreReportLevel(transfer);
  ProgressDotsEnd();
  WriteTransferStatistics(transfer);
  Debug("COMPLETE\r\n");
  return true;
}
