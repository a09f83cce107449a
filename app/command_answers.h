// How a run from a shell answers the message boxes of the main window's operations:
// every box is written to the terminal; a question takes OK when --yes was given, else
// it is asked on the terminal (y/N). The last box shown is the operation's outcome.
#pragma once

#include "runtime/string.h"

void AnswerMessagesOnTerminal(bool yes);

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
