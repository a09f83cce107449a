// For tests and benchmarks: quarnet-sim as a process of its own, serving on a
// pseudo-terminal reached through `link`, as an operator would start it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class SimulatorProcess {
 public:
  // Starts `program` (the built quarnet-sim) with `--link link` and `options`, and
  // waits until it says it is ready; Ready() tells whether it did.
  SimulatorProcess(const std::string& program, const std::string& link, const std::vector<std::string>& options = {});
  // Stops it, unless Stop() did.
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  bool Ready() const { return ready_; }
  // The first line it wrote: "ready LINK", or what it wrote instead.
  const std::string& FirstLine() const { return firstLine_; }
  // SIGUSR1 and SIGUSR2 switch the unit off and on; false when it is not running.
  bool Signal(int signal) const;
  // SIGTERM, as a session ending sends it, and the wait for its end: its exit code,
  // or -1 when a signal ended it or it would not end and was killed.
  int Stop();

 private:
  pid_t pid_ = -1;
  bool ready_ = false;
  std::string firstLine_;
};
