// The simulated system's end of the serial line, whatever carries it: the far end of
// an in-memory virtual line (in-process, virtual time) or the master of a
// pseudo-terminal (quarnet-sim, real time). The simulator only listens at a speed,
// hears bytes and sends bytes; the line does the rest, as a wire would: bytes sent
// at one speed or parity and heard at another arrive as garbage, and every byte
// takes its line time.
#pragma once

#include <cstdint>
#include <functional>

#include "link/serial_device.h"
#include "sim/frame.h"

class SimulatorLine {
 public:
  virtual ~SimulatorLine() = default;
  // The speed and parity the attached unit's running program listens and sends at.
  virtual void Listen(const LineSettings& settings) = 0;
  // Paced at the listening speed; returns at once.
  virtual void Send(const Bytes& bytes) = 0;
  // The link disappears, as a pulled adapter does.
  virtual void Vanish() = 0;

  // Each byte once it has fully arrived (garbage when the PC sent it at another
  // speed or parity than the one listened at).
  std::function<void(uint8_t byte)> onByte;
};

// Two line settings carry the same characters.
bool SameFraming(const LineSettings& a, const LineSettings& b);
