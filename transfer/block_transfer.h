// What the programmer download and the flash writing share: one block request with
// its echo check and attempts, and the frame of a bulk transfer (per-packet traces
// quiet, the statistics line at the end).
#pragma once

#include <cstdint>

inline constexpr int BlockAttempts = 8;
// Blocks up to this size travel with a 1-byte length, larger ones with 2 bytes.
inline constexpr uint16_t LargestSmallBlock = 128;

struct BlockCodes {
  uint16_t small;
  uint16_t large;
  bool result;  // the reply ends with a result byte
};

struct BlockReply {
  uint32_t address;
  uint16_t length;
  uint8_t result;
};

// Up to 8 attempts of the block request to the loader. An accepted reply echoes
// address, function, code, block address and length. Each refused reply writes
// "BAD REPLY FOR" to the debug stream and "!" to the console; after the last,
// "FAILED". `reply` holds the accepted reply.
bool SendBlock(const BlockCodes& codes, uint32_t address, const uint8_t* data, uint16_t length, BlockReply& reply);

struct BulkTransfer {
  uint32_t startTick;
  uint32_t bytesSentBefore;
  int8_t reportLevel;
};
// Notes the time and the bytes sent so far, and lowers ReportLevel by one so that
// the packets of the transfer are not traced.
BulkTransfer BeginBulkTransfer();
void RestoreReportLevel(const BulkTransfer& transfer);
// "Bytes sent = ... : Time = ... mS : Data rate = ... baud" on the debug stream.
void WriteTransferStatistics(const BulkTransfer& transfer);
