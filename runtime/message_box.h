// Message boxes. Until a window system is installed, a headless responder writes
// the caption and text to standard error and answers with the first button.
#pragma once

#include "runtime/string.h"

inline constexpr int MessageOk = 0x00;
inline constexpr int MessageOkCancel = 0x01;
inline constexpr int MessageYesNoCancel = 0x03;
inline constexpr int MessageYesNo = 0x04;
inline constexpr int MessageIconError = 0x10;
inline constexpr int MessageIconQuestion = 0x20;
inline constexpr int MessageIconWarning = 0x30;
inline constexpr int MessageIconInformation = 0x40;

inline constexpr int ButtonOk = 1;
inline constexpr int ButtonCancel = 2;
inline constexpr int ButtonYes = 6;
inline constexpr int ButtonNo = 7;

int ShowMessage(const String& text, const String& caption, int style);

// The window system (or a test) answers message boxes from now on; nullptr restores
// the headless responder.
void InstallMessageResponder(int (*responder)(const String& text, const String& caption, int style));

// Once a stop was asked for (ExitRequested), a question is only written and declined
// (Cancel, No), so that nothing new starts.
//
// After a stop signal (a session ending, Ctrl+C in the terminal) nobody may be there to
// answer: every box from then on is only written, as without a window system, so that
// the program ends without waiting. Safe in a signal handler.
void AnswerMessagesUnseen(bool unseen);
