#include "testing/simulator_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

SimulatorProcess::SimulatorProcess(const std::string& program, const std::string& link,
                                   const std::vector<std::string>& options) {
  int output[2];
  if (pipe(output) != 0) return;
  std::vector<std::string> arguments = {program, "--link", link};
  arguments.insert(arguments.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  char c;
  pollfd wait{output[0], POLLIN, 0};
  while (pid_ > 0 && poll(&wait, 1, 10'000) > 0 && read(output[0], &c, 1) == 1 && c != '\n') firstLine_ += c;
  close(output[0]);
  ready_ = firstLine_ == "ready " + link;
}

SimulatorProcess::~SimulatorProcess() { Stop(); }

bool SimulatorProcess::Signal(int signal) const { return pid_ > 0 && kill(pid_, signal) == 0; }

int SimulatorProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  // One that does not end would hang the test run; it gets five seconds.
  int status = 0;
  pid_t ended = 0;
  for (int wait = 0; wait < 500 && (ended = waitpid(pid_, &status, WNOHANG)) == 0; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (ended == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
