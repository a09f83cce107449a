// quarnet-sim's line: the master side of a pseudo-terminal, served in real time.
// A pseudo-terminal moves bytes at once and knows no line speed of its own, so this
// end does what the wire would: it reads the speed and parity the PC has set on
// the terminal, turns bytes sent at another speed into garbage, and lets every byte
// take its line time (11 bit times) in both directions. A request counts as heard
// only once its last byte would have arrived, and a reply reaches the PC byte by
// byte at the unit's speed, so throughput measured against the simulator means
// something.
//
// The simulator's clock follows the real clock here: the server moves it on as
// real time passes, and the same events that run in virtual time in-process run at
// their real moments.
#pragma once

#include <csignal>
#include <cstdint>
#include <functional>

#include "platform/pseudo_terminal.h"
#include "runtime/virtual_clock.h"
#include "sim/simulator_line.h"

class PseudoTerminalLine : public SimulatorLine {
 public:
  PseudoTerminalLine(PseudoTerminal& terminal, VirtualClock& clock);

  void Listen(const LineSettings& settings) override { listening_ = settings; }
  void Send(const Bytes& bytes) override;
  void Vanish() override;

  // Takes what the PC has written and schedules each byte's arrival.
  void TakeInput();
  bool Vanished() const { return !terminal_.Ready(); }
  int Descriptor() const { return terminal_.Master(); }

 private:
  uint8_t Garble(uint8_t byte);
  void Arrive(uint8_t byte, const LineSettings& sentWith);
  void Leave(uint8_t byte, const LineSettings& sentWith);

  PseudoTerminal& terminal_;
  VirtualClock& clock_;
  LineSettings listening_;
  uint64_t inputFreeAt_ = 0;   // when the last byte from the PC has arrived
  uint64_t outputFreeAt_ = 0;  // when the last byte of the replies has arrived at the PC
  uint32_t garbageSeed_ = 0x2545F491;
};

// Serves until `stop` is set or the line vanishes; `eachTurn` runs whenever the
// server wakes (after a signal, too). The simulated time runs `speedup` times as fast
// as real time: the line and every wait of the units.
void ServeInRealTime(PseudoTerminalLine& line, VirtualClock& clock, const volatile std::sig_atomic_t& stop,
                     uint32_t speedup, const std::function<void()>& eachTurn);
