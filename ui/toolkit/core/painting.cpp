// Windows marked for a paint, and the paint that ends in a picture for the backend.
#include "ui/toolkit/core/window_backend.h"
#include "ui/toolkit/core/window_core.h"

void InvalidateWindow(WindowHandle window, bool erase) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return;
  record->needsPaint = true;
  record->needsErase = record->needsErase || erase;
}

void InvalidateTree(WindowHandle window, bool erase) {
  WindowGuard guard(WindowLock);
  InvalidateWindow(window, erase);
  if (WindowRecord* record = FindWindow(window)) {
    for (WindowHandle child : record->children) InvalidateTree(child, erase);
  }
}

void UpdateWindow(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || !record->needsPaint || !VisibleChain(*record) || !OwnedByCurrentThread(*record)) return;
  guard.unlock();
  DispatchMessage(Message{window, WM_PAINT, 0, 0});
}

DrawingSurface BeginPaint(WindowHandle window) {
  WindowGuard guard(WindowLock);
  DrawingSurface surface;
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return surface;
  Rect client = ClientArea(*record);
  surface.window = window;
  surface.size = {client.width, client.height};
  surface.font = record->font;
  surface.textColour = SystemColour(COLOR_WINDOWTEXT);
  surface.backgroundColour = SystemColour(record->backgroundColourIndex);
  bool erase = record->needsErase;
  record->needsPaint = record->needsErase = false;
  guard.unlock();
  if (erase) SendMessage(window, WM_ERASEBKGND, reinterpret_cast<WParam>(&surface), 0);
  return surface;
}

void EndPaint(WindowHandle window, DrawingSurface& surface) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return;
  record->picture = std::make_shared<const DrawingList>(std::move(surface.commands));
  surface.commands.clear();
  Backend().Redraw(TopLevelOf(window));
}
