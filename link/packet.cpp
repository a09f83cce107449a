#include "link/packet.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "generic/checksum.h"
#include "runtime/clock.h"
#include "runtime/log.h"
#include "runtime/operator_stop.h"
#include "runtime/program_state.h"

uint8_t SendBuffer[PacketBufferSize + 1];
uint32_t SendPacketSize = 0;
uint32_t SendPacketPos = 0;
uint8_t RecvBuffer[PacketBufferSize + 1];
uint32_t RecvPacketSize = 0;
uint32_t RecvPacketFill = 0;
uint32_t RecvPacketPos = 0;
uint32_t TotalBytesSent = 0;
uint32_t TotalBytesReceived = 0;
uint32_t PacketTimeout = 1000;

Stream PacketStream{[](Stream*, uint8_t c) { PutPacketByte(c); }};
InputRecord PacketReader{[](InputRecord*) { return GetPacketByte(); }};

namespace {

constexpr uint32_t StagingSize = 65536;
constexpr uint32_t SlideLimitMs = 100;

uint8_t transmitBuffer[StagingSize];
uint32_t transmitCount = 0;
uint8_t receiveStaging[StagingSize];
uint32_t receiveCount = 0;

bool Tracing() { return ReportLevel > 0; }

uint16_t CrcRegisterOver(const uint8_t* bytes, uint32_t count) {
  CrcTake();
  CrcAdd(std::span(bytes, count));
  return CrcTake();
}

bool CrcCorrect() { return RecvPacketSize >= 2 && CrcRegisterOver(RecvBuffer, RecvPacketSize) == 0; }

void TraceDiscard() {
  PutLine(DetailStream, "[DISCARD (", RecvPacketSize, ") ", PacketHexDump(RecvBuffer, RecvPacketSize), "]");
}

void TraceBadCrc() {
  PutLine(DetailStream, "[BAD CRC (", RecvPacketSize, ") ", PacketHexDump(RecvBuffer, RecvPacketSize), "] {",
          PacketTextDump(RecvBuffer, RecvPacketSize), "}");
}

void TransmitBlock(const uint8_t* bytes, uint32_t count) {
  uint32_t free = StagingSize - transmitCount;
  if (count > free) {
    PutText(DebugStream, "<TRANSMIT BUFFER OVERFLOW>\r\n");
    count = free;
  }
  std::memcpy(transmitBuffer + transmitCount, bytes, count);
  transmitCount += count;
}

void FlushTransmit(OverlappedPort& port) {
  int accepted = WriteCommPortOverlapped(port, transmitBuffer, static_cast<int>(transmitCount));
  if (accepted < static_cast<int>(transmitCount)) {
    PutText(DebugStream, "<TRANSMIT FAIL>\r\n");
    return;
  }
  TotalBytesSent += transmitCount;
  transmitCount = 0;
}

bool FillReceiveBuffer(OverlappedPort& port) {
  int got = ReadCommPortOverlapped(port, receiveStaging + receiveCount,
                                   static_cast<int>(StagingSize - receiveCount));
  if (got < 0) {
    PutText(DebugStream, "[RECEIVE FAIL]\r\n");
    return false;
  }
  receiveCount += static_cast<uint32_t>(got);
  TotalBytesReceived += static_cast<uint32_t>(got);
  return true;
}

// Waits for the bytes by waiting for input on the port rather than sleeping a fixed
// 10 ms, so an exchange costs its line time, and a wait that gets nothing ends as its
// time limit passes rather than up to a poll step later. A stop ends the wait too, seen
// within StopPollMs even when it comes from another thread. A failed read ends the
// wait: a device that has gone will not deliver the rest.
uint32_t ReceiveBlock(OverlappedPort& port, uint8_t* destination, uint32_t count) {
  uint32_t start = TickMilliseconds();
  bool readable = FillReceiveBuffer(port);
  while (receiveCount < count) {
    uint32_t elapsed = TickMilliseconds() - start;
    if (!readable || elapsed > PacketTimeout || ExitRequested) {
      count = receiveCount;
      break;
    }
    port.device->WaitForInput(std::min(PacketTimeout + 1 - elapsed, StopPollMs));
    readable = FillReceiveBuffer(port);
  }
  std::memcpy(destination, receiveStaging, count);
  std::memmove(receiveStaging, receiveStaging + count, receiveCount - count);
  receiveCount -= count;
  return count;
}

void SlidePacket(OverlappedPort& port) {
  uint32_t start = TickMilliseconds();
  do {
    std::memmove(RecvBuffer, RecvBuffer + 1, RecvPacketSize - 1);
    if (ReceiveBlock(port, RecvBuffer + RecvPacketSize - 1, 1) == 0) {
      PutLine(DetailStream, "[NO MORE DATA FOR SLIDE PACKET (", RecvPacketSize - 1, ") ",
              PacketHexDump(RecvBuffer, RecvPacketSize - 1), "]");
      ResetPacketCache();
      return;
    }
    if (CrcCorrect()) {
      PutLine(DetailStream, "[SLIDE PACKET GOOD CRC (", RecvPacketSize, ") ", PacketHexDump(RecvBuffer, RecvPacketSize),
              "]");
      return;
    }
  } while (TickMilliseconds() - start <= SlideLimitMs);
  PutLine(DetailStream, "[SLIDE PACKET TIMEOUT (", RecvPacketSize, ") ", PacketHexDump(RecvBuffer, RecvPacketSize), "]");
  ResetPacketCache();
  FlushCommPortOverlapped(port);
}

void Send(OverlappedPort& port, uint32_t size, bool lengthHeader) {
  if (size != SendPacketPos) {
    PutLine(ReportStream, "ERROR: SendPacket(", size, "): Write size error:", SendPacketPos);
    return;
  }
  if (SendPacketPos != SendPacketSize) {
    SendPacketSize = SendPacketPos;
    if (RecvPacketSize != 0) {
      TraceDiscard();
      RecvPacketSize = 0;
    }
  }
  if (RecvPacketSize != 0) {
    PutLine(DetailStream, "<SUPPRESS (", SendPacketSize, ") ", PacketHexDump(SendBuffer, SendPacketSize), ">");
  } else {
    if (lengthHeader) {
      uint8_t header[2] = {LengthHeaderMark, static_cast<uint8_t>((SendPacketSize + 2) % 256)};
      TransmitBlock(header, 2);
      if (Tracing()) {
        PutText(DetailStream, "<LENGTH HEADER ");
        PutString(DetailStream, PacketHexDump(header, 2));
        PutText(DetailStream, "> ");
      }
    }
    TransmitBlock(SendBuffer, SendPacketSize);
    uint16_t crc = CrcRegisterOver(SendBuffer, SendPacketSize);
    uint8_t crcBytes[2] = {static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)};
    TransmitBlock(crcBytes, 2);
    if (Tracing()) {
      PutLine(DetailStream, "<SEND (", size, ") ", PacketHexDump(SendBuffer, SendPacketSize), "> <CRC ",
              PacketHexDump(crcBytes, 2), ">");
    }
  }
  FlushTransmit(port);
  SendPacketPos = 0;
  RecvPacketFill = 0;
  RecvPacketPos = 0;
}

bool ReceiveReplyBytes(OverlappedPort& port, uint32_t count) {
  if (RecvPacketFill == 0) count += 2;
  uint32_t held = std::min(RecvPacketSize - std::min(RecvPacketFill, RecvPacketSize), count);
  RecvPacketFill += held;
  count -= held;
  // Only a reply's first bytes can be its length header: taken further on, a stream of
  // F1 bytes would be stripped pair by pair for as long as it lasted.
  bool atStart = RecvPacketFill == 0;
  while (count > 0) {
    // A reply can never be longer than the buffer; the rest of such a reply is not read.
    uint32_t room = PacketBufferSize - RecvPacketFill;
    uint32_t got = ReceiveBlock(port, RecvBuffer + RecvPacketFill, std::min(count, room));
    if (got == 0) {
      if (RecvPacketSize == 0) {
        PutText(DebugStream, "[NO DATA]\r\n");
      } else {
        PutLine(DebugStream, "[INCOMPLETE RECV (", RecvPacketSize, ") ", PacketHexDump(RecvBuffer, RecvPacketSize),
                "] - missing ", count, " bytes");
      }
      ResetPacketCache();
      return false;
    }
    if (got < count) {
      uint32_t soFar = RecvPacketFill + got;
      PutPieces(DebugStream, "[PARTIAL RECV (", RecvPacketSize, ") ", PacketHexDump(RecvBuffer, soFar), "]");
      PutText(DetailStream, " {");
      PutString(DetailStream, PacketTextDump(RecvBuffer, soFar));
      PutText(DetailStream, "}");
      PutLine(DebugStream, " - missing ", count - got, " bytes");
      ResetPacketCache();
      return false;
    }
    if (atStart && got >= 2 && RecvBuffer[0] == LengthHeaderMark) {
      if (Tracing()) {
        PutText(DetailStream, "[LENGTH HEADER ");
        PutString(DetailStream, PacketHexDump(RecvBuffer, 2));
        PutText(DetailStream, "] ");
      }
      std::memmove(RecvBuffer, RecvBuffer + 2, got - 2);
      got -= 2;
    }
    atStart = false;
    RecvPacketFill += got;
    RecvPacketSize = RecvPacketFill;
    count -= got;
  }
  return true;
}

}  // namespace

String PacketHexDump(const uint8_t* bytes, uint32_t count) {
  String text;
  StringStream out(text);
  for (uint32_t i = 0; i < std::min<uint32_t>(count, 17); ++i) {
    if (i > 0) PutChar(out, ' ');
    PutHex2(out, bytes[i]);
  }
  if (count > 17) PutText(out, "...");
  return text;
}

String PacketTextDump(const uint8_t* bytes, uint32_t count) {
  String text;
  for (uint32_t i = 0; i < std::min<uint32_t>(count, 17); ++i) {
    text.Append(bytes[i] < 32 || bytes[i] > 127 ? '_' : static_cast<char>(bytes[i]));
  }
  if (count > 17) text.Append("...");
  return text;
}

void BeginPacket() { SendPacketPos = 0; }

void PutPacketByte(uint8_t byte) {
  if (SendPacketPos < SendPacketSize && SendBuffer[SendPacketPos] == byte) {
    ++SendPacketPos;
    return;
  }
  if (SendPacketPos < PacketBufferSize) {
    SendBuffer[SendPacketPos++] = byte;
    SendPacketSize = SendPacketPos;
  }
  if (RecvPacketSize >= 1) {
    TraceDiscard();
    RecvPacketSize = 0;
  }
}

uint8_t GetPacketByte() {
  if (RecvPacketPos >= RecvPacketSize) return 0;
  return RecvBuffer[RecvPacketPos++];
}

void SendPacket(OverlappedPort& port, uint32_t size) { Send(port, size, false); }

void SendLengthFramePacket(OverlappedPort& port, uint32_t size) { Send(port, size, true); }

bool RecvPacket(OverlappedPort& port, uint32_t size) {
  if (!ReceiveReplyBytes(port, size)) return false;
  if (!CrcCorrect()) {
    TraceBadCrc();
    SlidePacket(port);
  }
  SendPacketPos = 0;
  RecvPacketFill = 0;
  return true;
}

bool RecvPartialPacket(OverlappedPort& port, uint32_t size) { return ReceiveReplyBytes(port, size); }

bool EndRecvPacket(OverlappedPort& port) {
  if (RecvPacketSize < 4) return false;
  uint32_t end = RecvPacketSize - 2;
  bool result = false;
  if (CrcCorrect()) {
    if (Tracing()) {
      PutLine(DetailStream, "[RECV (", end, ") ", PacketHexDump(RecvBuffer, end), "] [CRC ",
              PacketHexDump(RecvBuffer + end, 2), "]");
    }
    if (RecvPacketPos != end) {
      PutLine(DebugStream, "READ ERROR: final position=", RecvPacketPos, ", should be at=", end);
    } else {
      result = true;
    }
    ResetPacketCache();
  } else {
    TraceBadCrc();
    SlidePacket(port);
  }
  SendPacketPos = 0;
  RecvPacketFill = 0;
  RecvPacketPos = 0;
  return result;
}

void ResetPacketCache() {
  SendPacketSize = 0;
  RecvPacketSize = 0;
}

uint32_t ReceiveStagingCount() { return receiveCount; }

void ClearReceiveStaging() { receiveCount = 0; }
