#include "transfer/file_transfer_report.h"

#include "link/packet.h"
#include "runtime/clock.h"
#include "runtime/log.h"

TransferClock StartTransferClock() { return TransferClock{TickMilliseconds(), TotalBytesSent}; }

void PutTransferStatistics(const TransferClock& clock) {
  uint32_t bytes = TotalBytesSent - clock.startBytesSent;
  uint32_t milliseconds = TickMilliseconds() - clock.startMilliseconds;
  double seconds = (milliseconds == 0 ? 1 : milliseconds) / 1000.0;
  PutText(DebugStream, "Bytes sent = ");
  PutInt(DebugStream, bytes);
  PutText(DebugStream, " : Time = ");
  PutInt(DebugStream, milliseconds);
  PutText(DebugStream, " mS : Data rate = ");
  PutInt(DebugStream, static_cast<int64_t>(bytes * 11.0 / seconds));
  PutText(DebugStream, " baud\r\n");
}

void PutTransferOffset(Stream& stream, uint32_t offset) {
  PutText(stream, "$");
  PutHex8(stream, offset);
}
