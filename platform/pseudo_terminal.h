// A pseudo-terminal whose master side plays the far end of a serial line: the
// simulator serves units on it, and tests stand in for a unit with it. The slave
// side is what Quarnet opens as a COM port.
#pragma once

#include <cstdint>
#include <string>

#include "link/serial_device.h"

class PseudoTerminal {
 public:
  // Check Ready() afterwards; on failure Error() tells why.
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool Ready() const { return master_ >= 0; }
  const std::string& Error() const { return error_; }
  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

  // Makes `path` a symbolic link to the slave (replacing an old link there).
  bool LinkAs(const std::string& path);
  // The line settings the program on the slave side has set, as the master sees them.
  // Pseudo-terminals do not keep the parity-enable flag; the parity checking flag
  // (INPCK) stands for it.
  LineSettings SlaveSettings() const;

  // Bytes that have arrived, without waiting; -1 once the slave side has gone.
  int Read(uint8_t* buffer, int count);
  // Waits up to `milliseconds` for bytes from the slave side.
  bool WaitForInput(int milliseconds);
  // Writes every byte (waiting for room); false when the line is gone.
  bool Write(const uint8_t* bytes, int count);
  // The far end hangs up, as a pulled cable does.
  void Close();

 private:
  int master_ = -1;
  std::string slavePath_;
  std::string error_;
};
