// The log file of one run: "LogFiles" beside the program, named after the start
// time, every line stamped with the milliseconds since the log was opened. Also the
// report streams, the comm trace writer, the fatal-error exit, the progress dots
// and the version texts.
#pragma once

#include <cstdint>

#include "runtime/files.h"
#include "runtime/stream.h"
#include "runtime/string.h"

// To the log file only. Everything the operator sees is also here.
extern Stream LogStream;
// To the console and the log: results, warnings, failures.
extern Stream ReportStream;
// To the log; to the console too with -d. The step-by-step account of every operation.
extern Stream DebugStream;
// To the log; to the console too with -dd. Byte-level link detail.
extern Stream DetailStream;

// The character sink behind LogStream.
void LogPut(uint8_t c);

// Raised around the exchanges whose traffic is traced.
extern int8_t CommTraceLevel;
void CommTraceWriter(const String& text);

// Creates the log folder, cleans up old logs (days 22 to 31), opens the log and
// writes its header. A log that cannot be created ends the program.
void PrepareLog();
void PrepareLogAt(const String& folder, const LocalDateTime& now);
// Safe to call more than once.
void CloseLog();
bool LogIsOpen();

// The log folder for a program file: its folder plus "\LogFiles" where it was built;
// installed, or where its folder cannot be written, $XDG_STATE_HOME/quarnet/LogFiles
// (default ~/.local/state/quarnet/LogFiles).
String LogFolderFor(const String& programFile);
// "<folder>\20yy-mm-dd hh-mm-ss.log"; from the second copy on, for runs started in the
// same second, "<folder>\20yy-mm-dd hh-mm-ss (<copy>).log".
String LogFileName(const String& folder, const LocalDateTime& now, int copy = 1);
// Deletes the log files older than the current month and the two before it,
// under "Cleanup.lck" so that two copies never clean up at once.
void CleanUpLogs(const String& folder, const LocalDateTime& now);
// Whether a file name of the "20*.log" scan is old at `now`.
bool IsOldLogName(const String& name, const LocalDateTime& now);

// Reports, closes the port and the log, writes the job file and ends the program.
// After a stop request the message is the stop's (operator_stop.h), not the failure's.
[[noreturn]] void FatalError(const String& message);
// Installed by the link layer: closes the port and deletes its lock file.
extern void (*ClosePortHook)();
// Installed by a front end that owes someone the outcome in a form of its own (the
// shell's --json): called with the final message and the exit code, before the end.
extern void (*FatalOutcomeHook)(const String& message, int exitCode);

// A row of 60 dots for done out of total, on the console; the count also goes to the
// operation's progress.
void ProgressDots(uint32_t done, uint32_t total);
void ProgressDotsEnd();
// Without dots (a terminal that shows the progress on a line of its own): the count
// still goes to the operation's progress, and no line is broken.
void ShowProgressDots(bool shown);

String VersionText(int version);
String VersionReleaseText(int version, int release);
