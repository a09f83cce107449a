// What the program asks of the system about itself: its file, its process and
// thread numbers, the account and computer it runs on, and the pipes its console
// reads. process_linux.cpp and process_win32.cpp stand behind it.
#pragma once

#include <string>

#include "runtime/string.h"

int ProcessId();
// The system's number for the calling thread, as a debugger shows it.
int ThreadId();
// Who runs the program and where; empty when the system does not say.
String AccountName();
String ComputerName();
// The program file, absolute, however the program was started; `argv0` when the
// system cannot tell.
std::string ProgramFile(const char* argv0);

// The descriptor is a terminal (a console window on Windows) a person types at.
bool IsTerminal(int descriptor);
// The width of the terminal behind the descriptor in columns; 0 when it does not say.
int TerminalColumns(int descriptor);

// Standard input, output and error carry bytes as written: the program writes its own
// line ends, which Windows' text mode would double.
void UseBinaryStandardStreams();

// A console window the system opened for this program alone (Windows, started from
// the desktop rather than a command prompt) closes; a shared one stays.
void LeaveOwnConsole();

// A pipe: ends[0] reads what ends[1] writes. False when none can be made.
bool MakePipe(int ends[2]);
// A second descriptor for the same file; -1 on failure.
int DuplicateDescriptor(int descriptor);
// Makes `descriptor` a second name for `from` (standard output into a pipe).
bool RedirectDescriptor(int from, int descriptor);
