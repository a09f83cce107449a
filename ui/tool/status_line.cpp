#include "ui/tool/status_line.h"

#include <mutex>

#include "runtime/operation_progress.h"
#include "runtime/program_state.h"
#include "ui/tool/tool_form.h"

namespace {

bool crSeen = false;
bool lfSeen = false;

}  // namespace

void CollectStatusCharacter(char c) {
  ToolForm& form = TheToolForm;
  if (c == '\r') {
    if (crSeen) {
      lfSeen = false;
      form.StatusText.Clear();
    }
    crSeen = true;
  } else if (c == '\n') {
    if (lfSeen) {
      crSeen = false;
      form.StatusText.Clear();
    }
    lfSeen = true;
  } else {
    if (crSeen || lfSeen) {
      crSeen = lfSeen = false;
      form.StatusText.Clear();
    }
    form.StatusText += c;
  }
  form.StatusPending = true;
}

void ShowProgressInStatusLine(const ProgressState& state, bool) {
  ToolForm& form = TheToolForm;
  std::lock_guard guard(ConsoleLock);
  form.ProgressLine = ProgressText(state);
  form.StatusPending = true;
}

void ShowPendingStatus(ToolForm& form) {
  String text;
  {
    // Another thread may be writing standard output this moment.
    std::lock_guard guard(ConsoleLock);
    if (!form.StatusPending) return;
    form.StatusPending = false;
    text = String::Copy(form.ProgressLine.Empty() ? form.StatusText.View() : form.ProgressLine.View());
  }
  PelSetText(form.statusLine.window, text.View());
}
