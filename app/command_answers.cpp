#include "app/command_answers.h"

#include <unistd.h>

#include <string>
#include <string_view>

#include "generic/string_utility.h"
#include "runtime/console_streams.h"
#include "runtime/message_box.h"
#include "runtime/operation_progress.h"
#include "runtime/program_state.h"
#include "runtime/stream.h"
#include "ui/toolkit/console/console_thread.h"
#include "ui/toolkit/controls/progress_window.h"

namespace {

bool answerYes = false;
bool quiet = false;
int errorDescriptor = -1;
std::string toldError;  // the last error box written to standard error

// With --quiet the console reaches nobody: what the operator must still see (an error,
// a question and its prompt) is written to standard error as well.
void Tell(std::string_view text) {
  size_t done = 0;
  while (errorDescriptor >= 0 && done < text.size()) {
    ssize_t written = write(errorDescriptor, text.data() + done, text.size() - done);
    if (written <= 0) return;
    done += static_cast<size_t>(written);
  }
}
BoxShown lastBox;

bool IsQuestion(int buttons) {
  return buttons == MessageOkCancel || buttons == MessageYesNo || buttons == MessageYesNoCancel;
}

// One line from the terminal; false at its end, on a read error or on a stop request.
bool ReadTerminalLine(std::string& line) {
  line.clear();
  char c = 0;
  while (!ExitRequested) {
    ssize_t got = read(0, &c, 1);
    if (got <= 0) return false;
    if (c == '\n') return true;
    line += c;
  }
  return false;
}

bool TerminalSaysYes() {
  PutText(StandardOutput, "Proceed? [y/N] ");
  if (quiet) Tell("Proceed? [y/N] ");
  FlushStandardStreams();
  FlushConsoleEcho();
  std::string line;
  bool answered = ReadTerminalLine(line);
  if (!answered) PutText(StandardOutput, "\r\n");
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return answered && (line == "y" || line == "Y" || line == "yes" || line == "YES" || line == "Yes");
}

int TerminalResponder(const String& text, const String& caption, int style) {
  lastBox = BoxShown{String::Copy(text.View()), String::Copy(caption.View()), style};
  PutText(StandardOutput, "\r\n");
  PutString(StandardOutput, caption);
  PutText(StandardOutput, ": ");
  PutString(StandardOutput, text);
  PutText(StandardOutput, "\r\n");
  int buttons = style & 0x0F;
  if (quiet && (IsQuestion(buttons) || (style & MessageIconError) != 0)) {
    Tell(std::string(caption.View()) + ": " + std::string(text.View()) + "\n");
    toldError = text.View();
  }
  if (!IsQuestion(buttons)) return ButtonOk;
  bool yesNo = buttons == MessageYesNo || buttons == MessageYesNoCancel;
  bool proceed = answerYes;
  if (answerYes) {
    PutText(StandardOutput, "-- answered OK (--yes)\r\n");
  } else if (isatty(0)) {
    proceed = TerminalSaysYes();
  } else {
    PutText(StandardOutput, "-- no terminal to ask on: refused (--yes answers OK)\r\n");
  }
  if (proceed) return yesNo ? ButtonYes : ButtonOk;
  return buttons == MessageYesNo ? ButtonNo : ButtonCancel;
}

int lastTenth = 0;
String progressMessage;

// A line for every ten percent: the window's own traces interleave with it.
void EchoProgress(int shown, std::string_view message) {
  if (!message.empty()) {
    lastTenth = 0;
    progressMessage = String::Copy(message);
  } else if (shown / 10 > lastTenth) {
    lastTenth = shown / 10;
    PutString(StandardOutput, progressMessage);
    PutText(StandardOutput, " ");
    PutText(StandardOutput, IntText(lastTenth * 10).View());
    PutText(StandardOutput, "%\r\n");
  }
}

// A line at each step and activity; within one, the progress dots show how far it
// has got, and a line of its own would break into them.
void EchoOperationProgress(const ProgressState& state, bool newActivity) {
  String text = ProgressText(state);
  if (!newActivity || text.Empty()) return;
  PutText(StandardOutput, "[");
  PutString(StandardOutput, text);
  PutText(StandardOutput, "]\r\n");
}

}  // namespace

void ShowProgressOnTerminal() {
  ProgressEcho = EchoProgress;
  InstallProgressShow(EchoOperationProgress);
}

void KeepStandardError(int descriptor) { errorDescriptor = descriptor; }

void AnswerMessagesOnTerminal(bool yes, bool quietly) {
  answerYes = yes;
  quiet = quietly;
  InstallMessageResponder(TerminalResponder);
}

void TellFailure(std::string_view text) {
  if (quiet && text != toldError) Tell("Failed: " + std::string(text) + "\n");
}

const BoxShown& LastBoxShown() { return lastBox; }

void ForgetLastBox() { lastBox = BoxShown{}; }
