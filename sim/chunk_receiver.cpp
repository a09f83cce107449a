#include "sim/chunk_receiver.h"

#include <algorithm>

ChunkReceiver::ChunkReceiver(Later later, std::function<void(Bytes chunk)> ended)
    : later_(std::move(later)), ended_(std::move(ended)) {}

uint64_t ChunkReceiver::QuietTime(uint32_t baud) {
  if (baud > 19200) return 1750;
  return (35 * 11'000'000ull / 10 + std::max<uint32_t>(baud, 1) - 1) / std::max<uint32_t>(baud, 1);
}

void ChunkReceiver::Take(uint8_t byte, uint64_t now, uint32_t baud) {
  chunk_.push_back(byte);
  uint64_t count = ++lastByte_;
  if (CountComplete()) {
    End();
    return;
  }
  later_(now + QuietTime(baud), [this, count] {
    if (count == lastByte_ && !chunk_.empty()) End();
  });
}

bool ChunkReceiver::CountComplete() const {
  // The count is kept modulo 256, so the CRC decides between its possible ends.
  return chunk_.size() >= 6 && chunk_[0] == FrameLengthMark && (chunk_.size() - 2) % 256 == chunk_[1] &&
         FrameCrc(std::span<const uint8_t>(chunk_).subspan(2)) == 0;
}

void ChunkReceiver::End() {
  Bytes chunk;
  chunk.swap(chunk_);
  ended_(std::move(chunk));
}
