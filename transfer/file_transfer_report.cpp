#include "transfer/file_transfer_report.h"

#include "link/packet.h"
#include "runtime/clock.h"
#include "runtime/log.h"

namespace {

void PutStatistics(std::string_view label, uint32_t bytes, uint32_t startMilliseconds) {
  uint32_t milliseconds = TickMilliseconds() - startMilliseconds;
  double seconds = (milliseconds == 0 ? 1 : milliseconds) / 1000.0;
  PutLine(DebugStream, label, bytes, " : Time = ", milliseconds, " mS : Data rate = ",
          static_cast<int64_t>(bytes * 11.0 / seconds), " baud");
}

}  // namespace

TransferClock StartTransferClock() {
  return TransferClock{TickMilliseconds(), TotalBytesSent, TotalBytesReceived};
}

void PutTransferStatistics(const TransferClock& clock) {
  PutStatistics("Bytes sent = ", TotalBytesSent - clock.startBytesSent, clock.startMilliseconds);
}

void PutReceiveStatistics(const TransferClock& clock) {
  PutStatistics("Bytes received = ", TotalBytesReceived - clock.startBytesReceived, clock.startMilliseconds);
}

void PutTransferOffset(Stream& stream, uint32_t offset) {
  PutText(stream, "$");
  PutHex8(stream, offset);
}
