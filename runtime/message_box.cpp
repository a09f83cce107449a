#include "runtime/message_box.h"

#include <atomic>

#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "runtime/stream.h"

namespace {

void WriteBox(const String& text, const String& caption) {
  PutLine(StandardError);
  PutLine(StandardError, caption, ": ", text);
}

// Without a window system nobody can answer, so the box is written where the
// operator reads and the first button is taken, as a default button would be.
int HeadlessResponder(const String& text, const String& caption, int style) {
  WriteBox(text, caption);
  int buttons = style & 0x0F;
  return buttons == MessageYesNoCancel || buttons == MessageYesNo ? ButtonYes : ButtonOk;
}

// After a stop request no question may start anything: it is only written, and
// declined.
int Declined(const String& text, const String& caption, int style) {
  WriteBox(text, caption);
  switch (style & 0x0F) {
    case MessageOkCancel:
    case MessageYesNoCancel: return ButtonCancel;
    case MessageYesNo: return ButtonNo;
    default: return ButtonOk;
  }
}

bool IsQuestion(int style) { return (style & 0x0F) != MessageOk; }

std::atomic<int (*)(const String&, const String&, int)> installedResponder{HeadlessResponder};
std::atomic<bool> answerUnseen{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

}  // namespace

int ShowMessage(const String& text, const String& caption, int style) {
  if (ExitRequested && IsQuestion(style)) return Declined(text, caption, style);
  if (answerUnseen) return HeadlessResponder(text, caption, style);
  return installedResponder.load()(text, caption, style);
}

void AnswerMessagesUnseen(bool unseen) { answerUnseen = unseen; }

void InstallMessageResponder(int (*responder)(const String& text, const String& caption, int style)) {
  installedResponder.store(responder != nullptr ? responder : HeadlessResponder);
}
