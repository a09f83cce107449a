// What the log says of a whole-file transfer: the offsets of its blocks and, at the
// end, the bytes that went over the link, the time they took and the rate.
#pragma once

#include <cstdint>

#include "runtime/stream.h"

struct TransferClock {
  uint32_t startMilliseconds;
  uint32_t startBytesSent;
  uint32_t startBytesReceived;
};
TransferClock StartTransferClock();
// "Bytes sent = n : Time = t mS : Data rate = r baud" on the debug stream, the rate
// counting 11 bit times a byte.
void PutTransferStatistics(const TransferClock& clock);
// The same for a file read from a unit: "Bytes received = n : ...".
void PutReceiveStatistics(const TransferClock& clock);

// "$" and the offset as 8 hex digits.
void PutTransferOffset(Stream& stream, uint32_t offset);
