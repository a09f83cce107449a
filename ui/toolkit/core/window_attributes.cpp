// What a window's record tells and what a program may change in it: its class, parent,
// owner and children, its procedure, properties, styles and id, its text and font.
#include <utility>

#include "ui/toolkit/core/window_core.h"

bool IsWindow(WindowHandle window) {
  WindowGuard guard(WindowLock);
  return FindWindow(window) != nullptr;
}

std::string GetClassName(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  return record == nullptr ? std::string() : record->className;
}

WindowHandle GetParent(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  return IsTopLevel(*record) ? record->owner : record->parent;
}

WindowHandle GetTopLevel(WindowHandle window) {
  WindowGuard guard(WindowLock);
  return TopLevelOf(window);
}

std::vector<WindowHandle> GetChildren(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  return record == nullptr ? std::vector<WindowHandle>() : record->children;
}

WindowProcedure GetWindowProcedure(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  return record == nullptr ? nullptr : record->procedure;
}

WindowProcedure SetWindowProcedure(WindowHandle window, WindowProcedure procedure) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || procedure == nullptr) return nullptr;
  return std::exchange(record->procedure, procedure);
}

LResult CallWindowProcedure(WindowProcedure procedure, WindowHandle window, uint32_t message, WParam wParam,
                            LParam lParam) {
  return procedure == nullptr ? 0 : procedure(window, message, wParam, lParam);
}

bool SetWindowProperty(WindowHandle window, std::string_view name, intptr_t value) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return false;
  record->properties.insert_or_assign(std::string(name), value);
  return true;
}

intptr_t GetWindowProperty(WindowHandle window, std::string_view name) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  auto found = record->properties.find(name);
  return found == record->properties.end() ? 0 : found->second;
}

void RemoveWindowProperty(WindowHandle window, std::string_view name) {
  WindowGuard guard(WindowLock);
  if (WindowRecord* record = FindWindow(window)) {
    auto found = record->properties.find(name);
    if (found != record->properties.end()) record->properties.erase(found);
  }
}

intptr_t GetWindowLong(WindowHandle window, int index) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  switch (index) {
    case GWL_STYLE: return record->style;
    case GWL_EXSTYLE: return record->extendedStyle;
    case GWL_ID: return record->id;
    default: return 0;
  }
}

intptr_t SetWindowLong(WindowHandle window, int index, intptr_t value) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  intptr_t old = GetWindowLong(window, index);
  switch (index) {
    case GWL_STYLE: record->style = static_cast<uint32_t>(value); break;
    case GWL_EXSTYLE: record->extendedStyle = static_cast<uint32_t>(value); break;
    case GWL_ID: record->id = value; break;
    default: return 0;
  }
  InvalidateTree(window, true);
  SyncTopLevel(TopLevelOf(window));
  Backend().Redraw(TopLevelOf(window));
  return old;
}

FontHandle GetWindowFont(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  return record == nullptr ? 0 : record->font;
}

bool SetWindowText(WindowHandle window, std::string_view text) {
  std::string copy(text);
  return SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LParam>(copy.c_str())) != 0;
}

std::string GetWindowText(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  return record == nullptr ? std::string() : record->text;
}

int GetWindowTextLength(WindowHandle window) { return static_cast<int>(GetWindowText(window).size()); }
