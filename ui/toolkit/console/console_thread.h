// The console thread and the console's two steps in the program entry: start-up before
// the main program, keep-alive after it.
#pragma once

#include <string>
#include <string_view>

// Starts the console thread with its window (titled `title`), sends every console
// character into it and turns descriptors 1 and 2 into pipes that feed it too
// (runtime/console_pipes.h); on the headless backend each console character is also
// written to the standard output the process started with. False (with ExitCode set) when there is no console:
// the entry then ends without running the main program.
bool StartConsole(const std::string& title);

// Before StartConsole: on the headless backend the console characters are echoed to
// `descriptor` (a copy of it) rather than to the standard output, which a program run
// from a script keeps for its results; -1: nowhere. Lines end with LF there, as a
// shell's tools expect.
void EchoConsoleTo(int descriptor);
// Writes out what the echo holds of an unfinished line, such as a question's prompt.
void FlushConsoleEcho();
// A line kept below the echo's text on a terminal, written over in place (the shell's
// progress): taken away before the echo writes, put back once the echo's line has
// ended. The caller fits it to the terminal's width. An empty text takes it away.
void ShowEchoStatus(std::string_view text);

// Keeps the program up, showing its log, until the operator closes the console; then
// waits for the console thread. On the headless backend no operator can close it, so
// the console thread is ended at once.
void KeepConsoleAlive();

// The two steps of every ending, normal or not, both run by the exit hook and harmless
// when the console never started. First descriptors 1 and 2 are let go, so that the
// pipe readers take what is still in the pipes before the hook writes its own last
// lines; text written to them afterwards is dropped.
void EndConsolePipes();
// Last, the console thread is ended, the echo of the headless backend written out and
// the window system stopped.
void EndConsole();
