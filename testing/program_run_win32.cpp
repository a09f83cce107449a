#include "testing/program_run.h"

bool ShellAvailable() { return false; }

ProgramRun RunProgram(const std::string&, const std::string&, const std::string&, std::chrono::seconds,
                      std::chrono::milliseconds) {
  return {-1, "no /bin/sh on this system"};
}

bool ProgramInstalled(const std::string&) { return false; }
