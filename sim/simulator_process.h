// For tests and benchmarks: quarnet-sim as a process of its own, serving the demo
// system (or what `options` name) on a pseudo-terminal reached through `link`, as an
// operator would start it.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

class SimulatorProcess {
 public:
  // Waits until the simulator says it is ready; Ready() tells whether it did.
  SimulatorProcess(const std::string& program, const std::string& link, const std::vector<std::string>& options = {}) {
    int output[2];
    if (pipe(output) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    std::vector<const char*> argv = {program.c_str(), "--link", link.c_str()};
    for (const std::string& option : options) argv.push_back(option.c_str());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char**>(argv.data()), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    std::string said;
    char c;
    pollfd wait{output[0], POLLIN, 0};
    while (pid_ > 0 && poll(&wait, 1, 10'000) > 0 && read(output[0], &c, 1) == 1 && c != '\n') said += c;
    close(output[0]);
    ready_ = said == "ready " + link;
  }
  ~SimulatorProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  bool Ready() const { return ready_; }

 private:
  pid_t pid_ = -1;
  bool ready_ = false;
};
