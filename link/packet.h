// Packet framing: every exchange is a request from the tool and a reply from the
// unit. A request is built through PacketStream, framed with CRC-16/MODBUS (low byte
// first; optionally behind a length header 0xF1, n) and written in one piece. The
// reply is read in blocks of known length, stripped of a length header, checked, and
// slid along the byte stream when a stray byte put it out of step. The last request
// and reply are kept: a request identical to the last one is answered from the held
// reply instead of being sent again.
//
// One link, one exchange at a time: the state is program-wide.
#pragma once

#include <cstdint>

#include "link/comm_port.h"
#include "runtime/stream.h"

inline constexpr int PacketBufferSize = 20000;
inline constexpr uint8_t LengthHeaderMark = 0xF1;

extern uint8_t SendBuffer[PacketBufferSize + 1];
extern uint32_t SendPacketSize;
extern uint32_t SendPacketPos;
extern uint8_t RecvBuffer[PacketBufferSize + 1];
extern uint32_t RecvPacketSize;
extern uint32_t RecvPacketFill;
extern uint32_t RecvPacketPos;
extern uint32_t TotalBytesSent;
extern uint32_t TotalBytesReceived;
extern uint32_t PacketTimeout;  // milliseconds ReceiveBlock waits for a reply's bytes

// The request body is written here; the reply is read from PacketReader.
extern Stream PacketStream;
extern InputRecord PacketReader;

void BeginPacket();
void PutPacketByte(uint8_t byte);
uint8_t GetPacketByte();
void SendPacket(OverlappedPort& port, uint32_t size);
void SendLengthFramePacket(OverlappedPort& port, uint32_t size);
// Receives a reply of `size` body bytes and checks its CRC; EndRecvPacket gives the verdict.
bool RecvPacket(OverlappedPort& port, uint32_t size);
// The next `size` bytes of the reply (the first call of a reply also takes the CRC's two).
bool RecvPartialPacket(OverlappedPort& port, uint32_t size);
// The reply is accepted only when this is true: a correct CRC and every body byte read.
bool EndRecvPacket(OverlappedPort& port);
void ResetPacketCache();

// Bytes read from the port and not yet taken (for tests and the speed changes).
uint32_t ReceiveStagingCount();
void ClearReceiveStaging();

// "XX XX ..." (at most 17 bytes) and the same bytes as characters, '_' for the unprintable.
String PacketHexDump(const uint8_t* bytes, uint32_t count);
String PacketTextDump(const uint8_t* bytes, uint32_t count);
