// How a run from a shell answers the message boxes of the main window's operations:
// every box is written to the terminal; a question takes OK when --yes was given, else
// it is asked on the terminal (y/N).
#pragma once

#include <string_view>

#include "runtime/string.h"

// Before the console takes the standard streams over: where a quiet run's errors go.
void KeepStandardError(int descriptor);
// `quietly`: the console is echoed nowhere, so errors and questions are also written
// to standard error.
void AnswerMessagesOnTerminal(bool yes, bool quietly);
// "Failed: <text>", the closing line of a failed operation, on standard error when the
// run is quiet and an error box did not just say the same.
void TellFailure(std::string_view text);

// Where a long operation stands, after AnswerMessagesOnTerminal: on a terminal one line
// written over as it goes; on a pipe a line at each step, activity and quarter; with
// --quiet nothing.
void ShowProgressOnTerminal();
