// The message box and the file chooser on the display. Both are opened on the FLTK
// thread and answer through a shared record the asking thread waits on (WaitForAnswer).
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "ui/toolkit/core/window_system.h"

struct DialogAnswer {
  std::atomic<bool> given{false};
  int button = 0;
  std::optional<std::string> file;
};

// On the FLTK thread. The buttons and icon follow the message box style.
void OpenMessageDialog(const std::string& text, const std::string& caption, int style,
                       std::shared_ptr<DialogAnswer> answer);
// The desktop's chooser runs its own loop: the FLTK thread is back when the operator
// has chosen or cancelled.
void OpenFileChooser(const FileDialogRequest& request, const std::string& offered, std::shared_ptr<DialogAnswer> answer);
