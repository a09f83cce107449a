// How a run from a shell answers the message boxes of the main window's operations:
// every box is written to the terminal; a question takes OK when --yes was given, else
// it is asked on the terminal (y/N). The last box shown is the operation's outcome.
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

// The progress window's message and its bar, in steps of ten percent, on the terminal.
void ShowProgressOnTerminal();

struct BoxShown {
  String text;
  String caption;
  int style = 0;
};

// The last box an operation showed; an empty text when it showed none.
const BoxShown& LastBoxShown();
void ForgetLastBox();
