// For the tests that run a program as a process: its standard output and standard
// error together, read until the program ends; a text seen in the output can stop it
// with SIGTERM, as a desktop session ending would.
#pragma once

#include <chrono>
#include <string>

struct ProgramRun {
  int exitCode;  // -1: ended by a signal, or killed after the time limit
  std::string output;
  double secondsToStop = -1;  // from the start until `stopWhen` showed
  double secondsToEnd = -1;   // from the start until the program ended
};

// `command` runs under /bin/sh in `directory`. When `stopWhen` is not empty and shows in the output,
// the program gets SIGTERM `stopAfter` later; after `limit` it is killed.
ProgramRun RunProgram(const std::string& directory, const std::string& command, const std::string& stopWhen = "",
                      std::chrono::seconds limit = std::chrono::seconds(30),
                      std::chrono::milliseconds stopAfter = std::chrono::milliseconds(0));

// Whether programs run under /bin/sh at all: not on Windows, where the tests that
// need one skip.
bool ShellAvailable();

// Whether the shell finds `program`: tests that need a tool from outside skip without it.
bool ProgramInstalled(const std::string& program);
