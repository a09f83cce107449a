#include "app/command_answers.h"

#include <string>
#include <string_view>

#include "generic/string_utility.h"
#include "runtime/console_streams.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/message_box.h"
#include "runtime/operation_progress.h"
#include "runtime/process.h"
#include "runtime/program_state.h"
#include "runtime/stream.h"
#include "ui/toolkit/console/console_thread.h"

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
    int written = WriteBytes(errorDescriptor, text.data() + done, static_cast<int>(text.size() - done));
    if (written <= 0) return;
    done += static_cast<size_t>(written);
  }
}

bool IsQuestion(int buttons) {
  return buttons == MessageOkCancel || buttons == MessageYesNo || buttons == MessageYesNoCancel;
}

// One line from the terminal; false at its end, on a read error or on a stop request.
bool ReadTerminalLine(std::string& line) {
  line.clear();
  char c = 0;
  while (!ExitRequested) {
    int got = ReadBytes(0, &c, 1);
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
  PutLine(StandardOutput);
  PutLine(StandardOutput, caption, ": ", text);
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
  } else if (IsTerminal(0)) {
    proceed = TerminalSaysYes();
  } else {
    PutText(StandardOutput, "-- no terminal to ask on: refused (--yes answers OK)\r\n");
  }
  if (proceed) return yesNo ? ButtonYes : ButtonOk;
  return buttons == MessageYesNo ? ButtonNo : ButtonCancel;
}

// The terminal's width in columns, 80 when it does not say.
size_t TerminalWidth() {
  int columns = TerminalColumns(errorDescriptor);
  return columns > 0 ? static_cast<size_t>(columns) : 80;
}

// Within the terminal's width less one column: a line that reached the last column
// would wrap, and the next rewrite would start a line too low. Never cut inside a
// character's bytes.
std::string_view FitToTerminal(std::string_view text) {
  size_t room = TerminalWidth() - 1;
  if (text.size() <= room) return text;
  while (room > 0 && (static_cast<unsigned char>(text[room]) & 0xC0) == 0x80) --room;
  return text.substr(0, room);
}

// On a terminal: one line, written over as the operation goes.
void ShowProgressLine(const ProgressState& state, bool) {
  String text = ProgressText(state);
  ShowEchoStatus(FitToTerminal(text.View()));
}

int lastQuarter = 0;

// On a pipe: a line at each step and activity, and at each quarter of a counted one.
void ShowProgressLines(const ProgressState& state, bool newActivity) {
  String text = ProgressText(state);
  int quarter = state.total > 0 ? static_cast<int>(uint64_t{state.done < state.total ? state.done : state.total} * 4 /
                                                   state.total)
                                : 0;
  if (newActivity) {
    lastQuarter = 0;
  } else if (quarter > lastQuarter) {
    lastQuarter = quarter;
  } else {
    return;
  }
  if (text.Empty()) return;
  PutText(StandardOutput, "[");
  PutString(StandardOutput, text);
  PutText(StandardOutput, "]\r\n");
}

}  // namespace

void ShowProgressOnTerminal() {
  bool terminal = !quiet && IsTerminal(errorDescriptor);
  // The dots would break the line that shows the progress.
  ShowProgressDots(!terminal);
  // Quiet leaves results and errors alone.
  if (!quiet) InstallProgressShow(terminal ? ShowProgressLine : ShowProgressLines);
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

