// For tests that need a tty nobody serves, as an unused serial adapter is: the slave
// side of a fresh pseudo-terminal, there as long as the object lives.
#pragma once

#include <string>

class IdleTerminal {
 public:
  IdleTerminal();
  // Closing the master side makes the slave's device node go away.
  ~IdleTerminal();
  IdleTerminal(const IdleTerminal&) = delete;
  IdleTerminal& operator=(const IdleTerminal&) = delete;

  // "/dev/pts/<n>"; empty when no pseudo-terminal could be made.
  const std::string& Path() const { return path_; }

 private:
  int master_ = -1;
  std::string path_;
};
