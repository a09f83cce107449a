// The main program and the ways it ends: the module start-up routines, the banner,
// the options and the log; the stop handler and the exit hook that close the port
// and the log however the process ends; SIGINT and SIGTERM as the system's request
// to end the program.
#pragma once

#include "app/command_request.h"

inline constexpr int MajorVersion = 6;
inline constexpr int MinorVersion = 10;
inline constexpr int Release = 57;

// Runs every module's start-up routine, in module order.
void InitialiseModules();

// Runs the main window, or with an operation named, that operation without one.
int MainProgram(int count, const char** list, const CommandRequest& request);

// Installed while the main tool window runs: "-- stopped", then (unless the program
// is already ending) wait for the operator to close the console, then close the
// port and the log.
void MainStopHandler();

// Registered with atexit.
void ExitHook();

// The operator's stops from outside (stop_signals.h) set ExitRequested; every long
// loop polls it.
void InstallSignalHandlers();
