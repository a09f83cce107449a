#include "ui/toolkit/backends/win32_input.h"

#include "ui/toolkit/core/window_backend.h"
#include "ui/toolkit/core/window_input.h"

namespace {

struct MouseMessage {
  uint32_t message;
  MouseAction action;
};

constexpr MouseMessage MouseMessages[] = {
    {WM_MOUSEMOVE, MouseAction::Move},         {WM_LBUTTONDOWN, MouseAction::LeftDown},
    {WM_LBUTTONUP, MouseAction::LeftUp},       {WM_MBUTTONDOWN, MouseAction::MiddleDown},
    {WM_MBUTTONUP, MouseAction::MiddleUp},     {WM_RBUTTONDOWN, MouseAction::RightDown},
    {WM_RBUTTONUP, MouseAction::RightUp},      {WM_MOUSEWHEEL, MouseAction::Wheel},
};

uint32_t Keys(const WindowInput& input) {
  return (input.held & MK_SHIFT ? KeyShift : 0) | (input.held & MK_CONTROL ? KeyControl : 0) |
         (input.alt ? KeyAlt : 0) | (input.held & MK_LBUTTON ? KeyLeftButton : 0) |
         (input.held & MK_MBUTTON ? KeyMiddleButton : 0) | (input.held & MK_RBUTTON ? KeyRightButton : 0);
}

}  // namespace

void DeliverWindowInput(WindowHandle topLevel, const WindowInput& input) {
  uint32_t keys = Keys(input);
  for (const MouseMessage& mouse : MouseMessages) {
    if (mouse.message != input.message) continue;
    // A wheel message counts a turn away from the operator as positive, as a delivery does.
    int wheel = mouse.action == MouseAction::Wheel ? static_cast<int16_t>(HighWord(input.wParam)) : 0;
    DeliverMouse(topLevel, mouse.action, MessagePoint(input.lParam), keys, wheel);
    return;
  }
  switch (input.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
      DeliverKey(topLevel, input.message == WM_KEYDOWN, static_cast<uint32_t>(input.wParam), input.character, keys);
      break;
    // A character no key down brought (an input method's): a key down of no key that
    // types it, as the FLTK backend gives a key it has no code for.
    case WM_CHAR:
      DeliverKey(topLevel, true, 0, static_cast<uint32_t>(input.wParam), keys);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      DeliverActivation(topLevel, input.message == WM_SETFOCUS);
      break;
    case WM_CLOSE:
      DeliverClose(topLevel);
      break;
    default:
      break;
  }
}

void DeliverWindowMoved(WindowHandle topLevel, Rect client) { DeliverMoved(topLevel, client); }

DrawingList ComposeForDisplay(WindowHandle topLevel, Size client) {
  DrawingSurface background;
  background.size = client;
  FillBox(background, background.Bounds(), SystemColour(COLOR_BTNFACE));
  DrawingList picture = std::move(background.commands);
  DrawingList composed = ComposeTopLevel(topLevel);
  picture.insert(picture.end(), std::make_move_iterator(composed.begin()), std::make_move_iterator(composed.end()));
  return picture;
}
