// How a unit's serial port splits what it hears into requests: as Modbus RTU does, a
// request ends when the line has been quiet for 3.5 character times (1.75 ms at
// speeds above 19200). The tool writes each request in one piece and waits for the
// reply before the next, so every pause ends exactly one request; garbage heard at
// a wrong speed becomes a chunk of its own and fails its CRC. Only requests sent
// with a length header may follow each other without a pause (file blocks, several
// in flight): such a request ends as soon as its count is complete and its CRC
// checks out.
#pragma once

#include <cstdint>
#include <functional>

#include "sim/frame.h"

class ChunkReceiver {
 public:
  // `later` runs an event at a time on the simulator's clock; `ended` gets each chunk.
  using Later = std::function<void(uint64_t when, std::function<void()> event)>;
  ChunkReceiver(Later later, std::function<void(Bytes chunk)> ended);

  // A byte that has fully arrived at `now`, at the line speed the unit listens at.
  void Take(uint8_t byte, uint64_t now, uint32_t baud);

  // Microseconds of silence that end a chunk.
  static uint64_t QuietTime(uint32_t baud);

 private:
  bool CountComplete() const;
  void End();

  Later later_;
  std::function<void(Bytes)> ended_;
  Bytes chunk_;
  uint64_t lastByte_ = 0;  // counts bytes, so a pending end check knows whether more came
};
