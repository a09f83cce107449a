#include "ui/toolkit/backends/fltk_window.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <cctype>

#include "runtime/utf8.h"
#include "ui/toolkit/backends/fltk_drawing.h"
#include "ui/toolkit/core/window_input.h"

NativeWindow::NativeWindow(WindowHandle window, const TopLevelState& state, const bool& caretOn)
    : Fl_Double_Window(state.rect.x, state.rect.y, std::max(1, state.rect.width), std::max(1, state.rect.height)),
      window_(window),
      caretOn_(caretOn) {
  end();
  callback(CloseBox);
  if (state.owner != 0) set_non_modal();
  Apply(state);
}

void NativeWindow::Apply(const TopLevelState& state) {
  applying_ = true;
  if (label() == nullptr || state.title != label()) copy_label(state.title.c_str());
  const Rect& rect = state.rect;
  if (rect.x != x() || rect.y != y() || rect.width != w() || rect.height != h()) {
    Fl_Double_Window::resize(rect.x, rect.y, std::max(1, rect.width), std::max(1, rect.height));
  }
  if (state.resizable) {
    size_range(std::max(1, state.minimumSize.width), std::max(1, state.minimumSize.height),
               std::max(0, state.maximumSize.width), std::max(0, state.maximumSize.height));
  } else {
    size_range(w(), h(), w(), h());
  }
  if (state.visible && !shown()) show();
  if (!state.visible && shown()) hide();
  applying_ = false;
  redraw();
}

void NativeWindow::draw() {
  DrawingList picture = ComposeTopLevel(window_);
  fl_color(FL_BACKGROUND_COLOR);
  fl_rectf(0, 0, w(), h());
  PlayBack(picture, caretOn_);
  showsCaret_ = !picture.empty() && std::any_of(picture.begin(), picture.end(), [](const DrawCommand& command) {
    return command.kind == DrawKind::Caret;
  });
}

int NativeWindow::handle(int event) {
  Point at{Fl::event_x(), Fl::event_y()};
  switch (event) {
    case FL_PUSH:
    case FL_RELEASE: {
      bool down = event == FL_PUSH;
      MouseAction action = Fl::event_button() == FL_MIDDLE_MOUSE ? (down ? MouseAction::MiddleDown : MouseAction::MiddleUp)
                           : Fl::event_button() == FL_RIGHT_MOUSE ? (down ? MouseAction::RightDown : MouseAction::RightUp)
                                                                  : (down ? MouseAction::LeftDown : MouseAction::LeftUp);
      DeliverMouse(window_, action, at, EventKeys());
      return 1;
    }
    case FL_MOVE:
    case FL_DRAG:
      DeliverMouse(window_, MouseAction::Move, at, EventKeys());
      return 1;
    case FL_MOUSEWHEEL:
      // FLTK counts a turn toward the operator as positive; a wheel message the opposite way.
      if (Fl::event_dy() != 0) DeliverMouse(window_, MouseAction::Wheel, at, EventKeys(), -Fl::event_dy() * WHEEL_DELTA);
      return 1;
    case FL_KEYDOWN:
    case FL_KEYUP:
      DeliverKey(window_, event == FL_KEYDOWN, EventVirtualKey(), EventCharacter(), EventKeys());
      return 1;
    case FL_FOCUS:
    case FL_UNFOCUS:
      DeliverActivation(window_, event == FL_FOCUS);
      return 1;
    case FL_ENTER:
    case FL_LEAVE:
      return 1;
    default:
      return Fl_Double_Window::handle(event);
  }
}

void NativeWindow::resize(int x, int y, int width, int height) {
  Fl_Double_Window::resize(x, y, width, height);
  if (!applying_) DeliverMoved(window_, {x, y, width, height});
}

void NativeWindow::CloseBox(Fl_Widget* widget, void*) {
  DeliverClose(static_cast<NativeWindow*>(widget)->window_);
}

uint32_t EventKeys() {
  int state = Fl::event_state();
  return (state & FL_SHIFT ? KeyShift : 0) | (state & FL_CTRL ? KeyControl : 0) | (state & FL_ALT ? KeyAlt : 0) |
         (state & FL_BUTTON1 ? KeyLeftButton : 0) | (state & FL_BUTTON2 ? KeyMiddleButton : 0) |
         (state & FL_BUTTON3 ? KeyRightButton : 0);
}

uint32_t EventVirtualKey() {
  int key = Fl::event_key();
  if (key >= 'a' && key <= 'z') return static_cast<uint32_t>(std::toupper(key));
  if ((key >= '0' && key <= '9') || key == ' ') return static_cast<uint32_t>(key);
  if (key >= FL_F + 1 && key <= FL_F + 12) return VK_F1 + static_cast<uint32_t>(key - FL_F - 1);
  switch (key) {
    case FL_BackSpace: return VK_BACK;
    case FL_Tab: return VK_TAB;
    case FL_Enter:
    case FL_KP_Enter: return VK_RETURN;
    case FL_Escape: return VK_ESCAPE;
    case FL_Pause: return Fl::event_state() & FL_CTRL ? VK_CANCEL : VK_PAUSE;
    case FL_Page_Up: return VK_PRIOR;
    case FL_Page_Down: return VK_NEXT;
    case FL_End: return VK_END;
    case FL_Home: return VK_HOME;
    case FL_Left: return VK_LEFT;
    case FL_Up: return VK_UP;
    case FL_Right: return VK_RIGHT;
    case FL_Down: return VK_DOWN;
    case FL_Insert: return VK_INSERT;
    case FL_Delete: return VK_DELETE;
    case FL_Shift_L:
    case FL_Shift_R: return VK_SHIFT;
    case FL_Control_L:
    case FL_Control_R: return VK_CONTROL;
    case FL_Alt_L:
    case FL_Alt_R: return VK_MENU;
    default: return 0;
  }
}

uint32_t EventCharacter() {
  int key = Fl::event_key();
  // Ctrl with a letter makes the control character (Ctrl+C is 3, Ctrl+S is 0x13).
  if ((Fl::event_state() & FL_CTRL) && key >= 'a' && key <= 'z') return static_cast<uint32_t>(key & 0x1F);
  std::string_view text(Fl::event_text(), static_cast<size_t>(Fl::event_length()));
  if (text.empty()) return 0;
  size_t at = 0;
  return NextCodePoint(text, at);
}
