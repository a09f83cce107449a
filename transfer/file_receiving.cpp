// Reading a whole file from a unit into memory.
#include "link/packet.h"
#include "protocol/remote_call.h"
#include "runtime/log.h"
#include "runtime/program_state.h"
#include "runtime/window_hooks.h"
#include "transfer/file_sending.h"
#include "transfer/file_transfer_report.h"
#include "transfer/remote_file.h"

namespace {

constexpr uint32_t ProgressStep = 512;

// Block by block until the unit reports the end; false when a block would not fit.
bool ReadBlocks(uint8_t address, uint8_t drive, uint16_t file, uint8_t* buffer, uint32_t capacity,
                uint32_t& offset) {
  offset = 0;
  for (;;) {
    if (offset > capacity || capacity - offset < RemoteFileBlock) return false;
    PutText(DebugStream, "Reading ");
    PutTransferOffset(DebugStream, offset);
    PutText(DebugStream, "(128)\r\n");
    int count = RemoteFileBlock;
    if (!ReadFileRemote(address, drive, file, offset, buffer + offset, count)) return false;
    if (count == 0) return true;
    offset += static_cast<uint32_t>(count);
    if (offset % ProgressStep == 0) ProgressTick();
    if (ExitRequested) return false;
  }
}

}  // namespace

bool ReceiveFile(const UnitInfo& unit, uint8_t drive, uint16_t file, uint8_t* buffer, uint32_t capacity,
                 uint32_t& size) {
  uint8_t address = FileTargetAddress(unit);
  PutPieces(DebugStream, "Opening Velantor file ", Hex{drive, 2}, ":", Hex{file, 4}, " ");
  uint8_t result = 0;
  if (!OpenFile(address, drive, file, FileWritesRelayed(unit), result) || result != 0) return false;

  --ReportLevel;
  uint32_t offset = 0;
  bool read = ReadBlocks(address, drive, file, buffer, capacity, offset);
  ++ReportLevel;
  if (!read) return false;
  if (!CloseFile(address, drive, file, result) || result != 0) return false;
  CallComplete();
  size = offset;
  return true;
}
