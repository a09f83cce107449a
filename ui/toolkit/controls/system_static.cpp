// "STATIC": text (and panels: a static without text is a box of its background colour).
#include "ui/toolkit/controls/system_controls.h"
#include "ui/toolkit/core/control_drawing.h"

namespace {

uint32_t TextFormat(uint32_t style) {
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: return DT_CENTER | DT_WORDBREAK;
    case SS_RIGHT: return DT_RIGHT | DT_WORDBREAK;
    case SS_LEFTNOWORDWRAP: return DT_LEFT;
    default: return DT_LEFT | DT_WORDBREAK;
  }
}

}  // namespace

LResult StaticProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  switch (message) {
    case WM_PAINT: {
      DrawingSurface surface = BeginPaint(window);
      Colour background = AskParentForColours(window, WM_CTLCOLORSTATIC, surface);
      Rect box = surface.Bounds();
      FillBox(surface, box, background);
      Colour ink = IsWindowEnabled(window) ? surface.textColour : SystemColour(COLOR_GRAYTEXT);
      DrawTextInBox(surface, box, GetWindowText(window), surface.font, ink,
                    TextFormat(static_cast<uint32_t>(GetWindowLong(window, GWL_STYLE))));
      EndPaint(window, surface);
      return 0;
    }
    case WM_LBUTTONUP:
      if (HasStyle(window, SS_NOTIFY)) NotifyParent(window, 0);
      return 0;
    default:
      return CommonControlMessage(window, message, wParam, lParam);
  }
}
