// Writing a remote file: up to 8 writes in flight, each kept in its slot until the
// unit acknowledges it; one acknowledgement covers every write up to the one it
// names. A refusal or a silence sends the oldest unacknowledged write again, so that
// the unit gets the data in order.
#include <cstring>

#include "link/packet.h"
#include "link/port_control.h"
#include "protocol/connection.h"
#include "protocol/remote_call.h"
#include "runtime/check.h"
#include "runtime/clock.h"
#include "runtime/log.h"
#include "transfer/file_transfer_report.h"
#include "transfer/file_window.h"
#include "transfer/remote_file.h"

namespace {

constexpr uint8_t WriteRequestCode = 0x32;
constexpr uint8_t AcknowledgedCode = 0x33;
constexpr uint8_t RefusedCode = 0x34;
constexpr uint8_t RelayMark = 0x04;
constexpr uint32_t AcknowledgementSize = 12;
// Acknowledgements that neither end a recovery round nor fail it: refusals of the
// writes that followed a lost one, repeats. A unit that sends more is stuck, and
// the round ends as if it had gone quiet.
constexpr int MaxIgnoredAcknowledgements = 4 * RemoteFileWindow;

void SendWrite(uint8_t address, uint8_t drive, uint16_t file, const RemoteFileSlot& slot) {
  bool relayed = RelayCapable && RemoteFile.relayed;
  BeginPacket();
  PutByte(PacketStream, address);
  if (relayed) {
    PutByte(PacketStream, FunctionRelayedFileBlock);
    PutByte(PacketStream, RelayMark);
  } else {
    PutByte(PacketStream, FunctionFileBlock);
  }
  PutByte(PacketStream, WriteRequestCode);
  PutByte(PacketStream, drive);
  PutWord(PacketStream, file);
  PutLong(PacketStream, slot.offset);
  PutByte(PacketStream, slot.count);
  for (int i = 0; i < slot.count; ++i) PutByte(PacketStream, slot.data[i]);
  SendLengthFramePacket(LinkPort, static_cast<uint32_t>((relayed ? 12 : 11) + slot.count));
}

struct Acknowledgement {
  bool arrived = false;
  uint8_t code = 0;
  uint32_t offset = 0;
  uint8_t result = 0;
};

// The next acknowledgement of this file, passing over other packets until the
// link's reply time has gone by.
Acknowledgement ReceiveAck(uint8_t drive, uint16_t file) {
  uint32_t start = TickMilliseconds();
  for (;;) {
    if (!RecvPacket(LinkPort, AcknowledgementSize)) {
      PutText(DebugStream, "no data received from comm port\r\n");
      return {};
    }
    GetByte(PacketReader);  // the address: the drive and file tell the acknowledgement
    uint8_t function = GetByte(PacketReader);
    Acknowledgement ack;
    ack.code = GetByte(PacketReader);
    uint8_t ackDrive = GetByte(PacketReader);
    uint16_t ackFile = GetWord(PacketReader);
    ack.offset = GetLong(PacketReader);
    GetByte(PacketReader);
    ack.result = GetByte(PacketReader);
    if (EndRecvPacket(LinkPort)) {
      RemoteFile.lastAckOffset = ack.offset;
      if (function == FunctionFileBlock && ackDrive == drive && ackFile == file &&
          (ack.code == AcknowledgedCode || ack.code == RefusedCode)) {
        ack.arrived = true;
        return ack;
      }
    }
    if (TickMilliseconds() - start > PacketTimeout) return {};
  }
}

// Whether an acknowledgement names a write in flight. One that names no write of
// ours (a late one from an earlier transfer of the file) must not retire writes the
// unit never confirmed.
bool NamesWriteInFlight(uint32_t offset) {
  for (int index = RemoteFile.head; index != RemoteFile.tail; index = NextRingIndex(index)) {
    if (RemoteFile.ring[index].offset == offset) return true;
  }
  return false;
}

void RetireUpTo(uint32_t offset) {
  while (!RingEmpty() && HeadSlot().offset <= offset) RetireHeadSlot();
}

void ReportWriteFailure(const Acknowledgement& ack) {
  PutText(ReportStream, "\r\nUnit reported hardware failure, cannot write to flash drive. Address=");
  PutTransferOffset(ReportStream, ack.offset);
  PutText(ReportStream, ", Result=");
  PutHex2(ReportStream, ack.result);
  PutText(ReportStream, "\r\n");
}

void ReportMissedAck(const char* what, uint8_t drive, uint16_t file) {
  PutText(DebugStream, what);
  PutHex8(DebugStream, HeadSlot().offset);
  PutText(DebugStream, " - GOT ");
  PutDriveDotFile(DebugStream, drive, file);
  PutText(DebugStream, " ");
  PutTransferOffset(DebugStream, RemoteFile.lastAckOffset);
  PutText(DebugStream, "\r\n");
  MarkFailedAttempt();
}

// Sends the oldest unacknowledged write until the unit confirms it, then the next,
// in at most 20 rounds for the whole recovery; the second round first reopens the
// port, in case the link itself is stuck.
bool ResendWrites(uint8_t address, uint8_t drive, uint16_t file) {
  for (int round = 0; !RingEmpty(); ++round) {
    if (round == FileBlockAttempts) {
      CallFailed();
      return false;
    }
    if (round == 1) ChangeBaudRate();
    SendWrite(address, drive, file, HeadSlot());
    if (round >= 2) SendWrite(address, drive, file, HeadSlot());
    for (int ignored = 0; ignored < MaxIgnoredAcknowledgements; ++ignored) {
      Acknowledgement ack = ReceiveAck(drive, file);
      if (!ack.arrived) break;
      if (ack.result != 0) {
        ReportWriteFailure(ack);
        return false;
      }
      if (ack.code == AcknowledgedCode && ack.offset >= HeadSlot().offset && NamesWriteInFlight(ack.offset)) {
        RetireUpTo(ack.offset);
        break;
      }
    }
  }
  return true;
}

bool CollectWriteAck(uint8_t address, uint8_t drive, uint16_t file) {
  for (int attempt = 0; attempt < FileBlockAttempts; ++attempt) {
    Acknowledgement ack = ReceiveAck(drive, file);
    if (!ack.arrived) {
      ReportMissedAck("ACK MISSING FOR ", drive, file);
      return ResendWrites(address, drive, file);
    }
    if (ack.result != 0) {
      ReportWriteFailure(ack);
      return false;
    }
    if (ack.code == AcknowledgedCode && ack.offset >= HeadSlot().offset && NamesWriteInFlight(ack.offset)) {
      RetireUpTo(ack.offset);
      return true;
    }
    if (ack.code == RefusedCode) {
      ReportMissedAck("NACK FOR ", drive, file);
      return ResendWrites(address, drive, file);
    }
  }
  CallFailed();
  return false;
}

bool AllWritesAcknowledged(uint8_t address, uint8_t drive, uint16_t file) {
  while (!RingEmpty()) {
    if (!CollectWriteAck(address, drive, file)) return false;
  }
  return true;
}

}  // namespace

bool WriteFileRemote(uint8_t address, uint8_t drive, uint16_t file, uint32_t offset, int count,
                     const uint8_t* data) {
  Assert(count >= 0 && count <= RemoteFileBlock);
  if (RingFull() && !CollectWriteAck(address, drive, file)) return false;
  RemoteFileSlot& slot = AddSlot(offset);
  slot.count = static_cast<uint8_t>(count);
  std::memcpy(slot.data, data, static_cast<size_t>(count));
  SendWrite(address, drive, file, slot);
  return true;
}

bool FlushFileRemote(uint8_t address, uint8_t drive, uint16_t file, uint8_t& result) {
  result = 0;
  if (!RemoteFile.writing || !AllWritesAcknowledged(address, drive, file)) {
    PutText(DebugStream, "FlushFileRemote failed\r\n");
    return false;
  }
  return true;
}

bool OverlappedWriteFinish(uint8_t address, uint8_t drive, uint16_t file) {
  return AllWritesAcknowledged(address, drive, file);
}
