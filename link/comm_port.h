// The comm port driver: a COM port opened by number, its line format, and bytes in
// and out with time limits. Unit traffic goes through an OverlappedPort, whose
// writes are queued in a transmit ring and drain in the background while the caller
// goes on; reads retire the writes that have finished. Reports and byte traces are
// single lines handed to CommTraceHook.
#pragma once

#include <cstdint>
#include <memory>

#include "link/serial_device.h"
#include "runtime/operator_stop.h"

inline constexpr uint32_t TxRingSize = 65536;
inline constexpr uint32_t TxQueueSize = 256;

struct TxRequest {
  uint32_t startTick;
  uint32_t startOffset;
  uint32_t endOffset;  // the ring offset after its last byte
  uint32_t accepted;   // bytes of the stretch the device has taken so far
  bool pending;        // still under way; a write finished at once is not
};

struct OverlappedPort {
  std::unique_ptr<SerialDevice> device;  // none while closed
  int16_t timeoutMs;
  uint8_t txRing[TxRingSize];
  uint32_t txDone;
  uint32_t txFill;
  TxRequest txQueue[TxQueueSize];
  uint32_t txHead;
  uint32_t txTail;
  // A read or write of the device failed: the adapter was pulled, the far end hung up.
  // Nothing more will pass on this port until it is opened again.
  bool vanished;
};

using CommHandle = std::unique_ptr<SerialDevice>;

// The synchronous variant: probing whether a port exists, and the in-place speed
// change of the open link. A failed open returns no handle and leaves LastPortError().
CommHandle OpenCommPort(int port, uint32_t baud, int stopBitCode, bool parityOn, bool even,
                        bool ctsFlow, int16_t readTimeoutMs);
void CloseCommPort(CommHandle& handle);
void SetCommPortParams(SerialDevice& device, uint32_t baud, int stopBitCode, bool parityOn, bool even,
                       bool ctsFlow);

bool OpenCommPortOverlapped(OverlappedPort& port, int portNumber, uint32_t baud, int stopBitCode,
                            bool parityOn, bool even, bool ctsFlow, int16_t timeoutMs);
void CloseCommPortOverlapped(OverlappedPort& port);
// Completes every queued write, oldest first, and waits until the bytes have left.
// True when every write completed whole. After a stop the writes not yet handed to the
// device are dropped: a unit takes a cut packet as noise.
bool FlushCommPortOverlapped(OverlappedPort& port);
// Bytes read (0 when nothing arrived), or -1.
int ReadCommPortOverlapped(OverlappedPort& port, uint8_t* buffer, int count);
// Bytes queued, or -1. Queued bytes are owned by the ring until their write completes.
int WriteCommPortOverlapped(OverlappedPort& port, const uint8_t* bytes, int count);
inline bool IsOpen(const OverlappedPort& port) { return port.device != nullptr; }

// "<prefix>(<count>) XX XX ...<suffix>": at most 17 bytes, "..." for more.
String ByteTrace(const char* prefix, const uint8_t* bytes, int count, const char* suffix);
