// "msctls_updown32": a pair of arrows. A press on an arrow asks the parent first
// (WM_NOTIFY UDN_DELTAPOS with the step; a non-zero answer refuses it), then moves the
// position and tells the parent (WM_VSCROLL). The default range runs from 100 at the
// bottom to 0 at the top, so the upper arrow steps by -1.
#include <algorithm>
#include <utility>

#include "ui/toolkit/controls/system_controls.h"
#include "ui/toolkit/core/control_drawing.h"

namespace {

enum class Arrow { Neither, Upper, Lower };

struct UpDownState {
  int lower = 100;
  int upper = 0;
  int position = 0;
  Arrow pressed = Arrow::Neither;
};

void Step(WindowHandle window, UpDownState& state, Arrow arrow) {
  int towardUpper = state.upper >= state.lower ? 1 : -1;
  UpDownNotification notification;
  notification.header = {window, GetWindowLong(window, GWL_ID), UDN_DELTAPOS};
  notification.position = state.position;
  notification.delta = arrow == Arrow::Upper ? towardUpper : -towardUpper;
  WindowHandle parent = GetParent(window);
  if (parent != 0 && SendMessage(parent, WM_NOTIFY, static_cast<WParam>(notification.header.id),
                                 reinterpret_cast<LParam>(&notification)) != 0) {
    return;
  }
  state.position = std::clamp(state.position + notification.delta, std::min(state.lower, state.upper),
                              std::max(state.lower, state.upper));
  if (parent != 0) {
    SendMessage(parent, WM_VSCROLL, MakeLong(SB_THUMBPOSITION, static_cast<uint16_t>(state.position)),
                static_cast<LParam>(window));
  }
}

void Paint(WindowHandle window, const UpDownState& state) {
  DrawingSurface surface = BeginPaint(window);
  int half = surface.size.height / 2;
  bool enabled = IsWindowEnabled(window);
  DrawArrowButton(surface, {0, 0, surface.size.width, half}, ArrowDirection::Up, enabled, state.pressed == Arrow::Upper);
  DrawArrowButton(surface, {0, half, surface.size.width, surface.size.height - half}, ArrowDirection::Down, enabled,
                  state.pressed == Arrow::Lower);
  EndPaint(window, surface);
}

}  // namespace

LResult UpDownProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  UpDownState& state = ControlStateOf<UpDownState>(window);
  switch (message) {
    case WM_LBUTTONDOWN:
      SetCapture(window);
      state.pressed = MessagePoint(lParam).y < GetClientRect(window).height / 2 ? Arrow::Upper : Arrow::Lower;
      InvalidateWindow(window);
      Step(window, state, state.pressed);
      return 0;
    case WM_LBUTTONUP:
      if (state.pressed != Arrow::Neither) ReleaseCapture();
      state.pressed = Arrow::Neither;
      InvalidateWindow(window);
      return 0;
    case UDM_SETRANGE32:
      state.lower = static_cast<int>(static_cast<intptr_t>(wParam));
      state.upper = static_cast<int>(lParam);
      return 0;
    case UDM_GETRANGE32:
      if (wParam != 0) *reinterpret_cast<int*>(wParam) = state.lower;
      if (lParam != 0) *reinterpret_cast<int*>(lParam) = state.upper;
      return 0;
    case UDM_SETPOS32:
      return std::exchange(state.position, static_cast<int>(lParam));
    case UDM_GETPOS32:
      return state.position;
    case WM_PAINT:
      Paint(window, state);
      return 0;
    default:
      return CommonControlMessage(window, message, wParam, lParam);
  }
}
