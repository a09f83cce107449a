// "msctls_progress32": a bar filled to its position within its range (0 to 100 at first).
#include <algorithm>

#include "ui/toolkit/controls/system_controls.h"
#include "ui/toolkit/core/control_drawing.h"

namespace {

struct ProgressState {
  int minimum = 0;
  int maximum = 100;
  int position = 0;
};

constexpr Colour Filled = Rgb(6, 176, 37);
constexpr Colour Track = Rgb(230, 230, 230);

}  // namespace

LResult ProgressProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  ProgressState& state = ControlStateOf<ProgressState>(window);
  switch (message) {
    case PBM_SETRANGE32: {
      LResult old = static_cast<LResult>(MakeLong(static_cast<uint16_t>(state.minimum), static_cast<uint16_t>(state.maximum)));
      state.minimum = static_cast<int>(static_cast<intptr_t>(wParam));
      state.maximum = static_cast<int>(lParam);
      state.position = std::clamp(state.position, state.minimum, std::max(state.minimum, state.maximum));
      InvalidateWindow(window);
      return old;
    }
    case PBM_SETPOS: {
      int old = state.position;
      state.position = std::clamp(static_cast<int>(static_cast<intptr_t>(wParam)), state.minimum,
                                  std::max(state.minimum, state.maximum));
      InvalidateWindow(window);
      return old;
    }
    case PBM_GETPOS:
      return state.position;
    case WM_PAINT: {
      DrawingSurface surface = BeginPaint(window);
      Rect box = surface.Bounds();
      FillBox(surface, box, Track);
      FrameBox(surface, box, SystemColour(COLOR_BTNSHADOW));
      Rect inside = box.Inset(1);
      int span = std::max(1, state.maximum - state.minimum);
      FillBox(surface, {inside.x, inside.y, inside.width * (state.position - state.minimum) / span, inside.height}, Filled);
      EndPaint(window, surface);
      return 0;
    }
    default:
      return CommonControlMessage(window, message, wParam, lParam);
  }
}
