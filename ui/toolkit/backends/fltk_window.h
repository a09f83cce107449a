// A top-level window on the display: FLTK draws it from the composed picture of its
// window-system window, and its events become deliveries to the owner thread.
#pragma once

#include <FL/Fl_Double_Window.H>

#include "ui/toolkit/core/window_backend.h"

class NativeWindow : public Fl_Double_Window {
 public:
  NativeWindow(WindowHandle window, const TopLevelState& state, const bool& caretOn);
  // Brings the FLTK window to the state the window system gave.
  void Apply(const TopLevelState& state);
  bool ShowsCaret() const { return showsCaret_; }

  void draw() override;
  int handle(int event) override;
  void resize(int x, int y, int width, int height) override;

 private:
  static void CloseBox(Fl_Widget* widget, void*);
  WindowHandle window_;
  const bool& caretOn_;
  // Set while the window system moves the window: no delivery back.
  bool applying_ = false;
  bool showsCaret_ = false;
};

// The key and button state of the event FLTK is handling (KeyShift ...).
uint32_t EventKeys();
// The virtual key and character of FLTK's current key event.
uint32_t EventVirtualKey();
uint32_t EventCharacter();
