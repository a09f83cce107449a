// The simulator on the far end (Peer) of a virtual line, in the line's virtual time:
// the line itself paces the bytes and garbles those sent at another speed.
#pragma once

#include "link/virtual_line.h"
#include "sim/simulator_line.h"

class VirtualLineEnd : public SimulatorLine {
 public:
  explicit VirtualLineEnd(VirtualLine& line);
  ~VirtualLineEnd() override;
  VirtualLineEnd(const VirtualLineEnd&) = delete;
  VirtualLineEnd& operator=(const VirtualLineEnd&) = delete;

  void Listen(const LineSettings& settings) override;
  void Send(const Bytes& bytes) override;
  void Vanish() override;

 private:
  VirtualLine& line_;
};
