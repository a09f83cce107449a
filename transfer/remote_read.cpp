// Reading a remote file: read requests go out ahead of the reader, up to 8 in flight,
// and their replies, which may come in any order, are kept in the slot of their
// offset until the reader reaches it.
#include <algorithm>
#include <cstring>

#include "link/packet.h"
#include "link/port_control.h"
#include "protocol/remote_call.h"
#include "runtime/log.h"
#include "transfer/file_transfer_report.h"
#include "transfer/file_window.h"
#include "transfer/remote_file.h"

namespace {

constexpr uint8_t ReadRequestCode = 0x30;
constexpr uint8_t ReadReplyCode = 0x31;
constexpr uint8_t RelayMark = 0x04;  // in the low four bits of a relayed reply's third byte
constexpr uint8_t UnreadableCount = 0xFF;
// Replies for other blocks that may come before the awaited one: the rest of the
// window and the answers to repeated requests. A unit that sends more is sending
// garbage, and the wait ends as if nothing had come.
constexpr int MaxOtherReplies = 4 * RemoteFileWindow;

void SendReadRequest(uint8_t address, uint8_t drive, uint16_t file, uint32_t offset) {
  BeginPacket();
  PutByte(PacketStream, address);
  PutByte(PacketStream, FunctionFileBlock);
  PutByte(PacketStream, ReadRequestCode);
  PutByte(PacketStream, drive);
  PutWord(PacketStream, file);
  PutLong(PacketStream, offset);
  PutByte(PacketStream, RemoteFileBlock);
  SendLengthFramePacket(LinkPort, 11);
}

void FillWindow(uint8_t address, uint8_t drive, uint16_t file) {
  while (!RingFull()) {
    AddSlot(RemoteFile.nextReadOffset);
    SendReadRequest(address, drive, file, RemoteFile.nextReadOffset);
    RemoteFile.nextReadOffset += RemoteFileBlock;
  }
}

// The slot in flight for `offset` that still waits for its data.
RemoteFileSlot* WaitingSlot(uint32_t offset) {
  for (int index = RemoteFile.head; index != RemoteFile.tail; index = NextRingIndex(index)) {
    RemoteFileSlot& slot = RemoteFile.ring[index];
    if (slot.offset == offset && !slot.received) return &slot;
  }
  return nullptr;
}

enum class ReadReply { Nothing, Other, Unreadable };

// One reply off the link, stored in its slot when it is one. Its header is read by
// its function byte; its data only when the count is one a block can have, so that
// no count a unit sends can carry the copy beyond the slot.
ReadReply ReceiveReadReply(uint8_t drive, uint16_t file) {
  if (!RecvPartialPacket(LinkPort, 2)) return ReadReply::Nothing;
  GetByte(PacketReader);  // the address is not looked at: the drive and file tell the reply
  uint8_t function = GetByte(PacketReader);
  bool relayed = function == FunctionRelayedFileBlock;
  if (function != FunctionFileBlock && !relayed) {
    EndRecvPacket(LinkPort);  // not a block reply: its length is unknown, the frame search skips it
    return ReadReply::Other;
  }
  if (!RecvPartialPacket(LinkPort, relayed ? 10 : 9)) return ReadReply::Nothing;
  uint8_t relay = relayed ? GetByte(PacketReader) : RelayMark;
  uint8_t code = GetByte(PacketReader);
  uint8_t replyDrive = GetByte(PacketReader);
  uint16_t replyFile = GetWord(PacketReader);
  uint32_t offset = GetLong(PacketReader);
  uint8_t count = GetByte(PacketReader);
  bool carriesData = count <= RemoteFileBlock;
  uint8_t data[RemoteFileBlock];
  if (carriesData && count > 0) {
    if (!RecvPartialPacket(LinkPort, count)) return ReadReply::Nothing;
    for (int i = 0; i < count; ++i) data[i] = GetByte(PacketReader);
  }
  if (!EndRecvPacket(LinkPort)) return ReadReply::Other;
  if (code != ReadReplyCode || (relay & 0x0F) != RelayMark || replyDrive != drive || replyFile != file) {
    return ReadReply::Other;
  }
  if (count == UnreadableCount) return ReadReply::Unreadable;
  if (!carriesData) return ReadReply::Other;
  if (RemoteFileSlot* slot = WaitingSlot(offset)) {
    std::memcpy(slot->data, data, count);
    slot->count = count;
    slot->received = true;
  }
  return ReadReply::Other;
}

// Delivers what the head slot holds once its reply is in; `count` 0xFF when the unit
// could not read its flash. False when a reply did not come.
bool CollectRead(uint8_t drive, uint16_t file, uint8_t* data, int room, int& count) {
  count = 0;
  for (int others = 0; !HeadSlot().received; ++others) {
    if (others == MaxOtherReplies) return false;
    ReadReply reply = ReceiveReadReply(drive, file);
    if (reply == ReadReply::Nothing) {
      PutText(DebugStream, "no data received from comm port\r\n");
      return false;
    }
    if (reply == ReadReply::Unreadable) {
      count = UnreadableCount;
      return true;
    }
  }
  RemoteFileSlot& slot = HeadSlot();
  int delivered = std::min<int>(std::max(room, 0), slot.count);
  std::memcpy(data, slot.data, static_cast<size_t>(delivered));
  if (delivered < slot.count) {
    std::memmove(slot.data, slot.data + delivered, static_cast<size_t>(slot.count - delivered));
    slot.count = static_cast<uint8_t>(slot.count - delivered);
    slot.offset += static_cast<uint32_t>(delivered);
  } else {
    RetireHeadSlot();
  }
  count = delivered;
  return true;
}

}  // namespace

bool ReadFileRemote(uint8_t address, uint8_t drive, uint16_t file, uint32_t offset, uint8_t* data, int& count) {
  int room = count;
  FillWindow(address, drive, file);
  bool collected = false;
  for (int attempt = 0; attempt < FileBlockAttempts && !collected; ++attempt) {
    collected = CollectRead(drive, file, data, room, count);
    if (collected) break;
    PutText(DebugStream, "READ MISSING FOR ");
    PutHex8(DebugStream, offset);
    PutText(DebugStream, " - ");
    PutDriveDotFile(DebugStream, drive, file);
    PutText(DebugStream, "\r\n");
    MarkFailedAttempt();
    // The block awaited is the head slot's. It starts at the caller's offset unless a
    // short block came before it, as the last one of a file is; a request for the
    // caller's offset would then fetch a reply that no slot takes.
    SendReadRequest(address, drive, file, HeadSlot().offset);
  }
  if (!collected) {
    CallFailed();
    count = 0;
    return false;
  }
  if (count == UnreadableCount) {
    PutText(ReportStream, "\r\nUnit reported hardware failure, cannot read from flash drive. Address=");
    PutTransferOffset(ReportStream, offset);
    PutText(ReportStream, "\r\n");
    count = 0;
    return false;
  }
  return true;
}

void OverlappedReadFinish(uint8_t drive, uint16_t file) {
  uint8_t discarded[RemoteFileBlock];
  int count = 0;
  while (RemoteFile.outstanding > 0 && CollectRead(drive, file, discarded, RemoteFileBlock, count)) {
  }
  EmptyRing();
}
