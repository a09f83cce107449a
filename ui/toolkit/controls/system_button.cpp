// "BUTTON": push buttons and check boxes. A click is a press and a release inside the
// button (or the space bar); the parent hears BN_CLICKED after the release.
#include "ui/toolkit/controls/system_controls.h"
#include "ui/toolkit/core/control_drawing.h"

namespace {

struct ButtonState {
  bool tracking = false;
  bool pressed = false;
  bool focused = false;
  int check = BST_UNCHECKED;
  const Bitmap* image = nullptr;
};

uint32_t Kind(WindowHandle window) { return static_cast<uint32_t>(GetWindowLong(window, GWL_STYLE)) & BS_TYPEMASK; }

bool IsCheckBox(WindowHandle window) {
  uint32_t kind = Kind(window);
  return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX;
}

void Click(WindowHandle window, ButtonState& state) {
  if (Kind(window) == BS_AUTOCHECKBOX) {
    state.check = state.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    InvalidateWindow(window);
  }
  NotifyParent(window, BN_CLICKED);
}

void SetPressed(WindowHandle window, ButtonState& state, bool pressed) {
  if (state.pressed == pressed) return;
  state.pressed = pressed;
  InvalidateWindow(window);
}

void PaintPushButton(WindowHandle window, const ButtonState& state, DrawingSurface& surface) {
  AskParentForColours(window, WM_CTLCOLORBTN, surface);
  Rect box = surface.Bounds();
  FillBox(surface, box, SystemColour(COLOR_BTNFACE));
  Rect face = box;
  if (Kind(window) == BS_DEFPUSHBUTTON) {
    FrameBox(surface, box, 0x000000);
    face = box.Inset(1);
  }
  DrawButtonEdge(surface, face, state.pressed);
  bool enabled = IsWindowEnabled(window);
  Rect label = state.pressed ? face.Moved(1, 1) : face;
  if (state.image != nullptr) {
    DrawImage(surface, {label.x + (label.width - state.image->width) / 2, label.y + (label.height - state.image->height) / 2},
              std::make_shared<const Bitmap>(*state.image));
  } else {
    DrawTextInBox(surface, label, GetWindowText(window), surface.font,
                  SystemColour(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if (state.focused) DrawFocusFrame(surface, face.Inset(3));
}

void PaintCheckBox(WindowHandle window, const ButtonState& state, DrawingSurface& surface) {
  Colour background = AskParentForColours(window, WM_CTLCOLORSTATIC, surface);
  Rect box = surface.Bounds();
  FillBox(surface, box, background);
  constexpr int Mark = 13;
  bool leftText = HasStyle(window, BS_LEFTTEXT);
  Rect square{leftText ? box.Right() - Mark : 0, (box.height - Mark) / 2, Mark, Mark};
  FillBox(surface, square, SystemColour(state.pressed ? COLOR_BTNFACE : COLOR_WINDOW));
  DrawSunkenEdge(surface, square);
  if (state.check == BST_CHECKED) {
    Colour ink = SystemColour(COLOR_WINDOWTEXT);
    for (int thick = 0; thick < 3; ++thick) {
      DrawLine(surface, {square.x + 3, square.y + 5 + thick}, {square.x + 5, square.y + 7 + thick}, ink);
      DrawLine(surface, {square.x + 5, square.y + 7 + thick}, {square.x + 10, square.y + 2 + thick}, ink);
    }
  }
  Rect label = leftText ? Rect{0, 0, square.x - 4, box.height} : Rect{Mark + 4, 0, box.width - Mark - 4, box.height};
  bool enabled = IsWindowEnabled(window);
  DrawTextInBox(surface, label, GetWindowText(window), surface.font,
                enabled ? surface.textColour : SystemColour(COLOR_GRAYTEXT),
                DT_VCENTER | DT_SINGLELINE | (leftText ? DT_RIGHT : DT_LEFT));
  if (state.focused) DrawFocusFrame(surface, label);
}

}  // namespace

LResult ButtonProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  ButtonState& state = ControlStateOf<ButtonState>(window);
  switch (message) {
    case WM_LBUTTONDOWN:
      SetFocus(window);
      SetCapture(window);
      state.tracking = true;
      SetPressed(window, state, true);
      return 0;
    case WM_MOUSEMOVE:
      if (state.tracking) SetPressed(window, state, GetClientRect(window).Contains(MessagePoint(lParam)));
      return 0;
    case WM_LBUTTONUP: {
      if (!state.tracking) return 0;
      ReleaseCapture();
      state.tracking = false;
      bool clicked = state.pressed && GetClientRect(window).Contains(MessagePoint(lParam));
      SetPressed(window, state, false);
      if (clicked) Click(window, state);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) SetPressed(window, state, true);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && state.pressed && !state.tracking) {
        SetPressed(window, state, false);
        Click(window, state);
      }
      return 0;
    case WM_KILLFOCUS:
      // A press of the space bar ends with the focus; one of the mouse lasts until its release.
      if (!state.tracking) SetPressed(window, state, false);
      return CommonControlMessage(window, message, wParam, lParam, &state.focused);
    case BM_GETCHECK:
      return state.check;
    case BM_SETCHECK:
      state.check = static_cast<int>(wParam);
      InvalidateWindow(window);
      return 0;
    case BM_SETIMAGE: {
      const Bitmap* old = state.image;
      if (wParam == IMAGE_BITMAP) state.image = reinterpret_cast<const Bitmap*>(lParam);
      InvalidateWindow(window);
      return reinterpret_cast<LResult>(old);
    }
    case WM_PAINT: {
      DrawingSurface surface = BeginPaint(window);
      if (IsCheckBox(window)) PaintCheckBox(window, state, surface);
      else PaintPushButton(window, state, surface);
      EndPaint(window, surface);
      return 0;
    }
    default:
      return CommonControlMessage(window, message, wParam, lParam, &state.focused);
  }
}
