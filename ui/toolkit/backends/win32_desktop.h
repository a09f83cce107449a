// Windows' side of the Win32 backend, in types windows.h leaves alone (win32_windows.h
// says why the sides are kept apart). One GUI thread owns every window: it creates
// them, paints them from the pictures the owner threads painted, and turns the
// operator's input into deliveries (win32_input.h). Other threads hand it work through
// a queue and wake it with a message to a hidden window of its own, which modal loops
// dispatch too (a thread message they would drop). It never waits for another thread,
// so they may wait for it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/toolkit/core/fonts.h"

// A top-level window as the window system wants it (TopLevelState).
struct NativeWindowState {
  // The client area on the screen; the frame and caption are around it.
  Rect rect;
  std::string title;
  bool visible = false;
  bool resizable = false;
  Size minimumSize, maximumSize;
  WindowHandle owner = 0;
};

struct FileChoice {
  bool save = false;
  // Pairs of description and pattern ("Comma separated", "*.csv").
  std::vector<std::pair<std::string, std::string>> filter;
  std::string folder;
  // A name alone, or with its folder, which then is the folder shown.
  std::string offered;
  WindowHandle owner = 0;
};

class Win32Desktop {
 public:
  // Null when the GUI thread cannot make its windows.
  static std::unique_ptr<Win32Desktop> Start();
  ~Win32Desktop();
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  int Dpi() const;
  Size ScreenSize() const;
  // On the calling thread, with the fonts the windows are painted with.
  FontMetrics MeasureFont(const FontDescription& font) const;
  std::vector<int> MeasureCharacters(const FontDescription& font, const std::vector<uint32_t>& codes) const;
  void Beep() const;

  // Return at once; the GUI thread does the work.
  void Update(WindowHandle window, const NativeWindowState& state);
  void Raise(WindowHandle window);
  void Remove(WindowHandle window);
  // Redraws are gathered: a form's dozens of controls painting at once cost one paint.
  void Redraw(WindowHandle window);
  void SetWaitCursor(bool wait);
  void SetClipboard(const std::string& text);

  std::string Clipboard();
  // On the calling thread, which waits there for the operator; the box or dialog
  // stays above the owner's window.
  int ShowMessageBox(const std::string& text, const std::string& caption, int style, WindowHandle owner);
  std::optional<std::string> ShowFileDialog(const FileChoice& choice);

 private:
  struct State;
  explicit Win32Desktop(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};
