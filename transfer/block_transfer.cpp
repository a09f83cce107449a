#include "transfer/block_transfer.h"

#include "link/packet.h"
#include "link/port_control.h"
#include "protocol/remote_call.h"
#include "runtime/clock.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/program_state.h"

namespace {

void Debug(std::string_view text) { PutText(DebugStream, text); }

void WriteBadReply(uint32_t address, const ReplyHead& head, const BlockReply& reply) {
  Debug("BAD REPLY FOR ");
  PutHex8(DebugStream, address);
  Debug(" - GOT ");
  PutInt(DebugStream, head.address);
  Debug(" FC");
  PutHex2(DebugStream, head.function);
  Debug(" $");
  PutHex4(DebugStream, head.code);
  Debug(" $");
  PutHex8(DebugStream, reply.address);
  Debug(" ");
  PutInt(DebugStream, reply.length);
  Debug("\r\n");
  PutChar(StandardOutput, '!');
}

}  // namespace

bool SendBlock(const BlockCodes& codes, uint32_t address, const uint8_t* data, uint16_t length, BlockReply& reply) {
  bool small = length <= LargestSmallBlock;
  uint16_t code = small ? codes.small : codes.large;
  uint32_t head = small ? 9 : 10;
  for (int attempt = 0; attempt < BlockAttempts && !ExitRequested; ++attempt) {
    BeginCall(LoaderAddress, code);
    PutLong(PacketStream, address);
    if (small) PutByte(PacketStream, static_cast<uint8_t>(length));
    else PutWord(PacketStream, length);
    PutRaw(PacketStream, std::string_view(reinterpret_cast<const char*>(data), length));
    SendPacket(LinkPort, length + head);
    // A large block takes longer on the line than the reply time-out: the wait for
    // the reply starts once the request has left.
    if (!small) FlushCommPortOverlapped(LinkPort);
    RecvPacket(LinkPort, head + (codes.result ? 1 : 0));
    ReplyHead echoed = ReadReplyHead();
    reply.address = GetLong(PacketReader);
    reply.length = small ? GetByte(PacketReader) : GetWord(PacketReader);
    reply.result = codes.result ? GetByte(PacketReader) : 0;
    if (EndCall(echoed, LoaderAddress, code) && reply.address == address && reply.length == length) return true;
    WriteBadReply(address, echoed, reply);
  }
  Debug("FAILED\r\n");
  return false;
}

BulkTransfer BeginBulkTransfer() {
  BulkTransfer transfer{TickMilliseconds(), TotalBytesSent, ReportLevel};
  --ReportLevel;
  return transfer;
}

void RestoreReportLevel(const BulkTransfer& transfer) { ReportLevel = transfer.reportLevel; }

void WriteTransferStatistics(const BulkTransfer& transfer) {
  uint32_t bytes = TotalBytesSent - transfer.bytesSentBefore;
  uint32_t milliseconds = TickMilliseconds() - transfer.startTick;
  uint64_t rate = uint64_t{bytes} * 11 * 1000 / (milliseconds == 0 ? 1 : milliseconds);
  Debug("Bytes sent = ");
  PutInt(DebugStream, bytes);
  Debug(" : Time = ");
  PutInt(DebugStream, milliseconds);
  Debug(" mS : Data rate = ");
  PutInt(DebugStream, static_cast<int64_t>(rate));
  Debug(" baud\r\n");
}
