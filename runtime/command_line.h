// The command line: one text split into items in place, and the option reader.
//
//   quarnet [-d | -dd] [job file] [[COM]<port>]
#pragma once

#include <string>

// One command-line text from the process arguments, quoting the items that contain
// spaces (and empty ones) so that splitting gives the same items back. Item 0 is
// programPath.
std::string BuildCommandLine(const char* programPath, int argc, const char* const* argv);

// Copies the text into the program's command-line buffer (at most 1023 characters)
// and splits it into ArgCount/ArgList (at most 256 items).
void SplitCommandLine(const char* text);

// Sets BaudRate, EvenParity, DebugOn, DetailedDebugOn, PortNumber and JobFile from
// the items; a bad option letter ends the program through UsageReport.
void ReadOptions();

[[noreturn]] void UsageReport();
