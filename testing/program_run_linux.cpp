#include "testing/program_run.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

ProgramRun RunProgram(const std::string& directory, const std::string& command, const std::string& stopWhen,
                      std::chrono::seconds limit, std::chrono::milliseconds stopAfter) {
  // exec: the signal reaches the program itself, not a shell around it. Made before the
  // fork, as the child of a process with threads must not allocate.
  const std::string script = "exec " + command;
  int ends[2];
  if (pipe(ends) != 0) return {-1, "pipe failed"};
  pid_t child = fork();
  if (child == 0) {
    dup2(ends[1], 1);
    dup2(ends[1], 2);
    close(ends[0]);
    close(ends[1]);
    if (chdir(directory.c_str()) != 0) _exit(127);
    execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ends[1]);
  ProgramRun run{-1, ""};
  auto start = std::chrono::steady_clock::now();
  bool stopped = stopWhen.empty();
  bool seen = false;
  bool killed = false;
  auto deadline = start + limit;
  auto stopAt = deadline;
  for (;;) {
    auto now = std::chrono::steady_clock::now();
    if (!stopped && seen && now >= stopAt) {
      stopped = true;
      run.secondsToStop = std::chrono::duration<double>(now - start).count();
      kill(child, SIGTERM);
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    if (left.count() <= 0) {
      kill(child, SIGKILL);
      killed = true;
      run.output += "\n[killed after the time limit]";
      break;
    }
    if (!stopped && seen) left = std::min(left, std::chrono::duration_cast<std::chrono::milliseconds>(stopAt - now));
    pollfd input{ends[0], POLLIN, 0};
    if (poll(&input, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    ssize_t got = read(ends[0], buffer, sizeof buffer);
    if (got <= 0) break;
    run.output.append(buffer, static_cast<size_t>(got));
    if (!seen && !stopped && run.output.find(stopWhen) != std::string::npos) {
      seen = true;
      stopAt = std::chrono::steady_clock::now() + stopAfter;
    }
  }
  close(ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  run.secondsToEnd = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFEXITED(status) && !killed) run.exitCode = WEXITSTATUS(status);
  return run;
}

bool ShellAvailable() { return true; }

bool ProgramInstalled(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}
