// What a backend does for the window system: it shows the top-level windows with the
// pictures their threads painted, turns the operator's input into deliveries
// (window_input.h), measures fonts, and offers the clipboard, message boxes and file
// dialogs. The notices (UpdateTopLevel, RaiseTopLevel, RemoveTopLevel, Redraw) return
// at once and may come with the window system's lock held; the calls that wait for an
// answer never do.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit/core/fonts.h"
#include "ui/toolkit/core/window_system.h"

struct TopLevelState {
  // The window's area on the screen; the desktop frames it.
  Rect rect;
  std::string title;
  bool visible = false;
  bool resizable = false;
  // Client sizes the operator may give the window.
  Size minimumSize, maximumSize;
  WindowHandle owner = 0;
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;
  virtual bool Headless() const = 0;
  virtual int Dpi() = 0;
  virtual Size ScreenSize() = 0;

  // A top-level window was created or changed; the backend makes its own match.
  virtual void UpdateTopLevel(WindowHandle window, const TopLevelState& state) = 0;
  virtual void RaiseTopLevel(WindowHandle window) = 0;
  virtual void RemoveTopLevel(WindowHandle window) = 0;
  // A picture inside the top-level window changed (ComposeTopLevel gives the whole).
  virtual void Redraw(WindowHandle topLevel) = 0;

  virtual FontMetrics MeasureFont(const FontDescription& font) = 0;
  virtual std::vector<int> MeasureCharacters(const FontDescription& font, const std::vector<uint32_t>& codes) = 0;

  virtual void SetMouseCursor(MouseCursor shape) = 0;
  virtual void Beep() = 0;
  virtual void SetClipboard(const std::string& text) = 0;
  virtual std::string Clipboard() = 0;
  // Both wait for the operator's answer; the calling thread's windows are disabled
  // meanwhile and its messages are dispatched (WaitForAnswer).
  virtual int MessageBox(const std::string& text, const std::string& caption, int style) = 0;
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request, const std::string& offered) = 0;
};

WindowBackend& Backend();

// The program's display backend (FLTK), started by StartWindowSystem when a display is
// there; the window system itself knows only the headless backend.
using DisplayBackendStarter = std::unique_ptr<WindowBackend> (*)();
void InstallDisplayBackend(DisplayBackendStarter starter);

// The composed picture of a top-level window and all its children, in its client
// coordinates: what the backend shows.
DrawingList ComposeTopLevel(WindowHandle topLevel);

// For a backend waiting on another thread for the operator: dispatches the calling
// thread's messages until `answered` says so.
template <class Answered>
void WaitForAnswer(Answered answered);
void PumpWhileWaiting();
template <class Answered>
void WaitForAnswer(Answered answered) {
  while (!answered()) PumpWhileWaiting();
}
