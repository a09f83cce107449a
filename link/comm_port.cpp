#include "link/comm_port.h"

#include <algorithm>
#include <cstring>

#include "runtime/clock.h"
#include "runtime/program_state.h"
#include "runtime/stream.h"
#include "runtime/trace.h"

namespace {

constexpr uint32_t MinimumReadTimeoutMs = 25;
constexpr uint32_t MinimumWriteTimeoutMs = 1000;

void CommTrace(const String& line) {
  if (CommTraceHook != nullptr) CommTraceHook(line);
}

void ReportPortSystemError() { CommTrace(PortErrorText()); }

// The first line error only, as the operator can act on one at a time.
void ReportLineErrors(SerialDevice& device) {
  uint32_t errors = device.TakeLineErrors();
  if (errors == 0) return;
  if (errors & LineFramingError) CommTrace("Comm port framing error");
  else if (errors & LineOverrun) CommTrace("Comm port overrun");
  else if (errors & LineParityError) CommTrace("Comm port parity error");
  else if (errors & LineBreak) CommTrace("Comm port break");
  else CommTrace("Comm port error");
}

LineSettings Settings(uint32_t baud, int stopBitCode, bool parityOn, bool even, bool ctsFlow) {
  return LineSettings{baud, stopBitCode, parityOn, even, ctsFlow};
}

void PurgeAndReport(SerialDevice& device) {
  device.Purge();
  ReportLineErrors(device);
}

uint32_t StretchLength(const TxRequest& request) {
  return (request.endOffset - request.startOffset) % TxRingSize;
}

bool QueueEmpty(const OverlappedPort& port) { return port.txHead == port.txTail; }

// A write may take a millisecond per byte plus the port's time limit (at least a
// second) before it counts as timed out.
bool WriteTimedOut(const OverlappedPort& port, const TxRequest& request) {
  uint32_t limit = StretchLength(request) +
                   std::max<uint32_t>(static_cast<uint32_t>(std::max<int16_t>(port.timeoutMs, 0)),
                                      MinimumWriteTimeoutMs);
  return TickMilliseconds() - request.startTick > limit;
}

// Hands the device more of the oldest write's bytes. Only the oldest write is ever
// handed over, so the bytes reach the line in the order they were queued.
bool PushOldest(OverlappedPort& port) {
  TxRequest& request = port.txQueue[port.txHead];
  uint32_t length = StretchLength(request);
  if (!request.pending || request.accepted == length) return true;
  int taken = port.device->Write(port.txRing + request.startOffset + request.accepted,
                                 static_cast<int>(length - request.accepted));
  if (taken < 0) {
    port.vanished = true;
    return false;
  }
  request.accepted += static_cast<uint32_t>(taken);
  return true;
}

void Retire(OverlappedPort& port) {
  port.txDone = port.txQueue[port.txHead].endOffset;
  port.txHead = (port.txHead + 1) % TxQueueSize;
  // Keep the line busy: the next write starts as soon as the one before it is done.
  if (!QueueEmpty(port)) PushOldest(port);
}

// The oldest write's transferred count, 0 while it is still under way, or -1 (also
// at a stop).
int PollOldest(OverlappedPort& port, uint32_t waitMs) {
  TxRequest& request = port.txQueue[port.txHead];
  uint32_t expected = StretchLength(request);
  uint32_t start = TickMilliseconds();
  for (;;) {
    if (!PushOldest(port)) {
      ReportPortSystemError();
      return -1;
    }
    if (!request.pending || request.accepted == expected) break;
    if (WriteTimedOut(port, request)) {
      CommTrace("Write error: TIMEOUT");
      return -1;
    }
    if (ExitRequested) return -1;
    uint32_t waited = TickMilliseconds() - start;
    if (waited >= waitMs) return 0;
    port.device->WaitForOutputRoom(std::min(waitMs - waited, StopPollMs));
  }
  request.pending = false;
  Retire(port);
  return static_cast<int>(expected);
}

// Waits for the oldest write to finish, whatever it takes within its time limit; the
// entry is retired either way.
bool CompleteOldest(OverlappedPort& port) {
  TxRequest& request = port.txQueue[port.txHead];
  uint32_t expected = StretchLength(request);
  bool ok = true;
  for (;;) {
    if (!PushOldest(port)) {
      ReportPortSystemError();
      ok = false;
      break;
    }
    if (!request.pending || request.accepted == expected) break;
    if (WriteTimedOut(port, request)) {
      CommTrace("Write error: TIMEOUT");
      ok = false;
      break;
    }
    if (ExitRequested) {
      ok = false;
      break;
    }
    port.device->WaitForOutputRoom(10);
  }
  request.pending = false;
  Retire(port);
  return ok;
}

// What the device still holds is discarded with the queue, so that a long block stops
// at once rather than drain for seconds on a slow line.
void DropQueuedWrites(OverlappedPort& port) {
  port.txHead = port.txTail;
  port.txDone = port.txFill;
  port.device->Purge();
}

void ClearPort(OverlappedPort& port) {
  port.device.reset();
  port.timeoutMs = 0;
  port.txDone = port.txFill = 0;
  port.txHead = port.txTail = 0;
  port.vanished = false;
  std::memset(port.txQueue, 0, sizeof port.txQueue);
}

}  // namespace

String ByteTrace(const char* prefix, const uint8_t* bytes, int count, const char* suffix) {
  String line = String::Constant(prefix);
  StringStream out(line);
  if (count > 0) {
    PutChar(out, '(');
    PutInt(out, count);
    PutChar(out, ')');
  }
  for (int i = 0; i < std::min(count, 17); ++i) {
    PutChar(out, ' ');
    PutHex2(out, bytes[i]);
  }
  if (count > 17) PutText(out, "...");
  PutText(out, suffix);
  return line;
}

CommHandle OpenCommPort(int port, uint32_t baud, int stopBitCode, bool parityOn, bool even, bool ctsFlow,
                        int16_t) {
  // Reads of this variant are never waited on: it only probes ports and changes speed.
  CommHandle handle = OpenSerialDevice(port);
  if (handle == nullptr) return nullptr;
  if (!handle->Configure(Settings(baud, stopBitCode, parityOn, even, ctsFlow))) {
    ReportPortSystemError();
    return nullptr;
  }
  PurgeAndReport(*handle);
  return handle;
}

void CloseCommPort(CommHandle& handle) {
  if (handle == nullptr) return;
  PurgeAndReport(*handle);
  handle.reset();
}

void SetCommPortParams(SerialDevice& device, uint32_t baud, int stopBitCode, bool parityOn, bool even,
                       bool ctsFlow) {
  PurgeAndReport(device);
  if (!device.Configure(Settings(baud, stopBitCode, parityOn, even, ctsFlow))) ReportPortSystemError();
}

bool OpenCommPortOverlapped(OverlappedPort& port, int portNumber, uint32_t baud, int stopBitCode,
                            bool parityOn, bool even, bool ctsFlow, int16_t timeoutMs) {
  ClearPort(port);
  port.timeoutMs = timeoutMs;
  Trace("%s:Speed=%u StopBits=%d Parity=%d", PortName(portNumber).Data(), baud, stopBitCode, parityOn ? 1 : 0);
  port.device = OpenSerialDevice(portNumber);
  if (port.device == nullptr) return false;
  if (!port.device->Configure(Settings(baud, stopBitCode, parityOn, even, ctsFlow))) {
    ReportPortSystemError();
    ClearPort(port);
    return false;
  }
  port.device->Purge();
  port.device->TakeLineErrors();
  return true;
}

void CloseCommPortOverlapped(OverlappedPort& port) {
  if (!IsOpen(port)) return;
  FlushCommPortOverlapped(port);
  CloseCommPort(port.device);
  ClearPort(port);
}

bool FlushCommPortOverlapped(OverlappedPort& port) {
  if (!IsOpen(port)) return false;
  bool ok = true;
  while (!QueueEmpty(port) && !ExitRequested) ok = CompleteOldest(port) && ok;
  if (!ExitRequested && port.device->Drain()) return ok;
  if (ExitRequested) DropQueuedWrites(port);
  return false;
}

int ReadCommPortOverlapped(OverlappedPort& port, uint8_t* buffer, int count) {
  if (!IsOpen(port)) return -1;
  int total = 0;
  uint32_t start = TickMilliseconds();
  uint32_t limit = std::max<uint32_t>(static_cast<uint32_t>(std::max<int16_t>(port.timeoutMs, 0)),
                                      MinimumReadTimeoutMs);
  while (count > 0) {
    if (port.timeoutMs != 0 && TickMilliseconds() - start >= static_cast<uint32_t>(port.timeoutMs)) break;
    if (!QueueEmpty(port) && PollOldest(port, 0) < 0) return -1;
    start = TickMilliseconds();
    if (port.timeoutMs != 0) port.device->WaitForInput(limit);
    int got = port.device->Read(buffer, count);
    if (got < 0) {
      port.vanished = true;
      ReportPortSystemError();
      ReportLineErrors(*port.device);
      return -1;
    }
    if (got == 0) break;
    CommTrace(ByteTrace("[ReadCommPortOverlapped", buffer, got, "]"));
    total += got;
    buffer += got;
    count -= got;
  }
  return total;
}

int WriteCommPortOverlapped(OverlappedPort& port, const uint8_t* bytes, int count) {
  if (!IsOpen(port)) return -1;
  int total = 0;
  uint32_t start = TickMilliseconds();
  uint32_t timeout = static_cast<uint32_t>(std::max<int16_t>(port.timeoutMs, 0));
  while (count > 0) {
    if (timeout != 0 && TickMilliseconds() - start >= timeout) break;
    uint32_t next = (port.txTail + 1) % TxQueueSize;
    if (next == port.txHead) {
      int polled = PollOldest(port, timeout);
      if (polled < 0) return -1;
      if (polled == 0) continue;
    }
    uint32_t inFlight = (port.txFill - port.txDone) % TxRingSize;
    uint32_t free = TxRingSize - 1 - inFlight;
    uint32_t room = TxRingSize - port.txFill;
    if (free == 0) {
      if (PollOldest(port, timeout) < 0) return -1;
      continue;
    }
    uint32_t chunk = std::min({static_cast<uint32_t>(count), free, room});
    while (!QueueEmpty(port)) {
      int polled = PollOldest(port, 0);
      if (polled < 0) return -1;
      if (polled == 0) break;
    }
    TxRequest& request = port.txQueue[port.txTail];
    bool oldest = QueueEmpty(port);
    request = TxRequest{TickMilliseconds(), port.txFill, (port.txFill + chunk) % TxRingSize, 0, true};
    std::memcpy(port.txRing + port.txFill, bytes, chunk);
    port.txFill = request.endOffset;
    port.txTail = next;
    CommTrace(ByteTrace("<WriteCommPortOverlapped", bytes, static_cast<int>(chunk), ">"));
    total += static_cast<int>(chunk);
    bytes += chunk;
    count -= static_cast<int>(chunk);
    if (oldest) {
      if (!PushOldest(port)) {
        ReportPortSystemError();
        ReportLineErrors(*port.device);
        return -1;
      }
      // All taken at once: complete; it is retired by the next poll.
      if (request.accepted == chunk) request.pending = false;
    }
  }
  return total;
}
