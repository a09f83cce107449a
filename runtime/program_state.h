// The program-wide state that every layer reads: the stop flag, the exit code,
// the command-line items and the option values, and the hooks later layers install.
// One instance of each, owned here; the option reader and the main program write them.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "runtime/string.h"

inline constexpr int MaxArguments = 256;
inline constexpr int CommandLineSize = 1024;

// Set by closing a window, by SIGINT/SIGTERM or by a fatal error; never cleared.
// Every long loop polls it.
extern std::atomic<bool> ExitRequested;
extern std::atomic<int> ExitCode;

extern int ArgCount;
extern const char* ArgList[MaxArguments];

extern bool DebugOn;
extern bool DetailedDebugOn;
extern int16_t PortNumber;
// A port named on the command line by a device path that is none of the COM ports'
// devices has no number of its own: PortNumber is PathPortNumber and PortPath holds
// the path, which its messages and its lock file use where a COM port shows "COM<n>".
inline constexpr int16_t PathPortNumber = -1;
extern String PortPath;
extern uint32_t BaudRate;
extern bool EvenParity;
extern String JobFile;
extern int8_t ReportLevel;

extern void (*StopHandler)();
extern void (*CommTraceHook)(const String& line);
extern void (*StdoutHook)(char c);

extern std::atomic<bool> ConsoleReady;
extern std::recursive_mutex ConsoleLock;

// Set by the exit hook so that nothing tries to end the process a second time.
extern std::atomic<bool> Exiting;
