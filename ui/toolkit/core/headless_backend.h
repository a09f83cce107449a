// The headless backend: windows without a display, for tests, scripts and machines
// without X. Nothing is shown; pictures stay readable (ComposeTopLevel) and the
// operator is a test (operator_actions.h). Fonts measure as a simple grid: a character
// is half the font's height wide (at least 1 pixel), the ascent four fifths of it.
//
// Message boxes are written to standard error ("\r\n", caption, ": ", text, "\r\n") and
// answered from the answers a test queued; without one, with the first button (OK, or
// Yes). File dialogs take the queued answers too; without one they are cancelled.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit/core/window_backend.h"

struct ShownMessageBox {
  std::string text;
  std::string caption;
  int style = 0;
  int answer = 0;
};

struct ShownFileDialog {
  FileDialogRequest request;
  std::string offered;
};

std::unique_ptr<WindowBackend> MakeHeadlessBackend();

// The answers the next message boxes get (ButtonOk ...), in order.
void QueueMessageBoxAnswers(std::vector<int> answers);
// The message boxes shown since the last call, with the answers they got.
std::vector<ShownMessageBox> TakeShownMessageBoxes();
// The next file dialogs' answers: a full file name, or nullopt for Cancel.
void QueueFileDialogAnswers(std::vector<std::optional<std::string>> answers);
std::vector<ShownFileDialog> TakeShownFileDialogs();
// What the headless desktop was told: the clipboard, the beeps, the cursor.
int HeadlessBeepCount();
MouseCursor HeadlessMouseCursor();
