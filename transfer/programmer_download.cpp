#include "transfer/programmer_download.h"

#include "link/link_speed.h"
#include "protocol/loader_procedures.h"
#include "protocol/remote_call.h"
#include "protocol/speed_negotiation.h"
#include "runtime/log.h"
#include "runtime/program_state.h"
#include "runtime/window_hooks.h"
#include "transfer/block_transfer.h"
#include "transfer/download_image.h"

namespace {

constexpr BlockCodes DownloadCodes{0x1020, 0x1024, false};
constexpr uint16_t ResetProgrammerCode = 0x1033;
constexpr int ResetAttempts = 12;

void Debug(std::string_view text) { PutText(DebugStream, text); }

void ChangeSpeedOrEnd(uint32_t speed, bool evenParity, uint16_t timeout) {
  if (!ChangePacketBaudRate(speed, evenParity, timeout, false)) FatalError("Unable to change baudrate");
}

void SetProgrammerSpeedOrEnd(const UnitInfo& unit, bool extended) {
  if (!SetProgrammerBaudRate(unit, ProgrammerBaudRate, extended)) FatalError("Unable to change baud rate");
}

void WriteRecordLine(const DownloadRecord& record) {
  Debug("Downloading $");
  PutHex8(DebugStream, record.address);
  Debug("(");
  PutInt(DebugStream, record.size);
  Debug(")\r\n");
}

// A record the loader's buffer cannot take stops the download before the first
// block: a programmer sent in part would never run.
void CheckRecordsFit(const UnitInfo& unit, const ImageSlot& image) {
  RecordWalk walk = FirstRecord(image);
  DownloadRecord record;
  while (NextRecord(walk, record)) {
    if (record.size > unit.buffersize) {
      WriteRecordLine(record);
      FatalError("Unable to update unit: buffer size is too small");
    }
  }
}

}  // namespace

bool DownloadBlock(uint32_t address, const uint8_t* data, uint16_t length) {
  BlockReply reply;
  return SendBlock(DownloadCodes, address, data, length, reply);
}

bool DownloadProgrammer(UnitInfo& unit, const ImageSlot& image, std::string_view name) {
  if (image.data == nullptr) FatalError("Cannot update unit: there is no flash programmer for this unit");
  String fault;
  if (!CheckDownloadImage(image.data, image.length, fault)) {
    FatalError(Concatenate("Cannot update unit: the flash programmer is not a download image: ", fault));
  }
  PutText(ReportStream, "Downloading ");
  PutText(ReportStream, name.empty() ? "programmer" : name);
  PutText(ReportStream, "...\r\n");
  SetProgrammerSpeedOrEnd(unit, unit.bootrelease < 15);

  uint32_t transferAddr = ImageTransferAddr(image);
  uint32_t total = ImageTotalSize(image);
  BulkTransfer transfer = BeginBulkTransfer();
  uint32_t done = 0;
  CheckRecordsFit(unit, image);
  RecordWalk walk = FirstRecord(image);
  DownloadRecord record;
  while (NextRecord(walk, record)) {
    WriteRecordLine(record);
    if (!DownloadBlock(record.address, record.data, record.size) || ExitRequested) {
      RestoreReportLevel(transfer);
      return false;
    }
    done += record.size;
    ProgressDots(done, total);
    ProgressTick();
  }
  ProgressDotsEnd();
  WriteTransferStatistics(transfer);
  Debug("COMPLETE\r\n");
  RestoreReportLevel(transfer);

  TransferToRamProgram(transferAddr);
  unit.unitmode = ModeProgrammer;
  ChangeSpeedOrEnd(115200, false, LongPacketTimeout);
  SetProgrammerSpeedOrEnd(unit, false);
  if (!GetProgrammerVersion(unit)) FatalError("Unable to connect to programmer");
  GetBufferSize(unit);
  return true;
}

bool ResetProgrammer(const UnitInfo& unit) {
  AnnounceCall("ResetProgrammer");
  uint32_t oldSpeed = BaudRate;
  bool oldParity = EvenParity;
  bool answered = false;
  for (int attempt = 0; attempt < ResetAttempts && !answered && !ExitRequested; ++attempt) {
    // The programmer may have gone back to its starting speed, or further.
    switch (attempt % 3) {
      case 0: ChangeSpeedOrEnd(oldSpeed, oldParity, MediumPacketTimeout); break;
      case 1: ChangeSpeedOrEnd(115200, false, MediumPacketTimeout); break;
      default: ChangeSpeedOrEnd(9600, false, MediumPacketTimeout); break;
    }
    answered = CallOnce(LoaderAddress, ResetProgrammerCode, "", 4);
  }
  if (!answered) {
    CallFailed();
    return false;
  }
  CallComplete();
  ChangeSpeedOrEnd(115200, false, LongPacketTimeout);
  SetProgrammerSpeedOrEnd(unit, false);
  return true;
}
