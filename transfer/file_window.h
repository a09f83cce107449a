// Inside the remote file access: the ring of blocks in flight that the reads and the
// writes share, and what the ordinary calls need of the windowed side.
#pragma once

#include <cstdint>

#include "runtime/stream.h"
#include "transfer/remote_file.h"

inline constexpr int FileBlockAttempts = 20;

inline int NextRingIndex(int index) { return (index + 1) % RemoteFileRingSize; }
inline bool RingEmpty() { return RemoteFile.head == RemoteFile.tail; }
inline bool RingFull() {
  return RemoteFile.outstanding >= RemoteFileWindow || NextRingIndex(RemoteFile.tail) == RemoteFile.head;
}
inline RemoteFileSlot& HeadSlot() { return RemoteFile.ring[RemoteFile.head]; }
// Takes the tail slot into use.
RemoteFileSlot& AddSlot(uint32_t offset);
void RetireHeadSlot();
void EmptyRing();

// Collects the replies of the reads in flight until none is left or one does not come.
void OverlappedReadFinish(uint8_t drive, uint16_t file);
// Waits until every write is acknowledged.
bool OverlappedWriteFinish(uint8_t address, uint8_t drive, uint16_t file);

// "DD.FFFF" for a drive and file.
void PutDriveDotFile(Stream& stream, uint8_t drive, uint16_t file);
// "!" on the console for an attempt that failed.
void MarkFailedAttempt();
