// The controls of the forms, each a PelWindow on a system control with a few
// callbacks. UserData is handed to every callback (the forms store the owning form
// there); a null callback is skipped. A form fills UserData and the callbacks right
// after creating the control, before any message can call them. Positions are pixels.
#pragma once

#include <memory>

#include "ui/toolkit/controls/pel_window.h"

struct StdListBoxControl {
  PelWindow window;
  void* UserData = nullptr;
  void (*OnSelect)(void* userData) = nullptr;
};

struct StdButtonControl {
  PelWindow window;
  void* UserData = nullptr;
  void (*OnClick)(void* userData) = nullptr;
  void (*OnPress)(void* userData) = nullptr;
  void (*OnRelease)(void* userData) = nullptr;
};

struct StdStaticControl {
  PelWindow window;
  void* UserData = nullptr;
};

struct StdEditControl {
  PelWindow window;
  void* UserData = nullptr;
  void (*OnGotFocus)(void* userData) = nullptr;
  void (*OnLostFocus)(void* userData) = nullptr;
  void (*OnEnter)(void* userData) = nullptr;
  void (*OnChange)(void* userData) = nullptr;
};

struct StdUpDownControl {
  PelWindow window;
  void* UserData = nullptr;
  void (*OnDelta)(void* userData, int delta) = nullptr;
};

struct StdProgressControl {
  PelWindow window;
};

struct StdTreeViewControl {
  PelWindow window;
  void* UserData = nullptr;
  void (*OnSelect)(void* userData) = nullptr;
};

// Creation: the caller's style with WS_CHILD, WS_VISIBLE, WS_CLIPSIBLINGS and
// WS_CLIPCHILDREN; edit boxes add ES_AUTOVSCROLL, ES_AUTOHSCROLL and a sunken edge;
// the up-down control takes no style (no buddy, vertical arrows).
bool CreateStdListBox(StdListBoxControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x,
                      int y, int width, int height);
bool CreateStdButton(StdButtonControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x, int y,
                     int width, int height);
bool CreateStdStatic(StdStaticControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x, int y,
                     int width, int height);
bool CreateStdEdit(StdEditControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x, int y,
                   int width, int height);
bool CreateStdUpDown(StdUpDownControl& control, PelWindow& parent, std::string_view text, int x, int y, int width,
                     int height);
bool CreateStdProgress(StdProgressControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x,
                       int y, int width, int height);
bool CreateStdTreeView(StdTreeViewControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x,
                       int y, int width, int height);

// Destruction of any of them: DestroyPelWindow on its window.
template <class Control>
void DestroyStdControl(Control& control) {
  DestroyPelWindow(control.window);
}
// For a form's finalise, which may meet controls its initialise never made: those are
// passed over without a trace of their own.
template <class Control>
void DestroyStdControlIfMade(Control& control) {
  if (control.window.hwnd != 0) DestroyStdControl(control);
}

void ListBoxClear(StdListBoxControl& control);
int ListBoxCount(StdListBoxControl& control);
// The new line's index.
int ListBoxAdd(StdListBoxControl& control, std::string_view text);
intptr_t ListBoxGetValue(StdListBoxControl& control, int index);
void ListBoxSetValue(StdListBoxControl& control, int index, intptr_t value);
// -1 when none is selected.
int ListBoxSelected(StdListBoxControl& control);
void ListBoxSelect(StdListBoxControl& control, int index);

bool ButtonGetCheck(StdButtonControl& control);
void ButtonSetCheck(StdButtonControl& control, bool checked);
// The bitmap stays the caller's while the button shows it.
void ButtonSetBitmap(StdButtonControl& control, const Bitmap* bitmap);

int EditLineCount(StdEditControl& control);
// At most 4096 characters.
String EditLine(StdEditControl& control, int index);
int EditLineIndex(StdEditControl& control, int line);
int EditLineLength(StdEditControl& control, int characterIndex);
void EditSelect(StdEditControl& control, int start, int end);
void EditReplaceSelection(StdEditControl& control, std::string_view text);
// Changed by the operator since the text was last set.
bool EditModified(StdEditControl& control);
void EditSetModified(StdEditControl& control, bool modified);

void ProgressSetRange(StdProgressControl& control, int maximum);
void ProgressSetPosition(StdProgressControl& control, int position);

void TreeViewClear(StdTreeViewControl& control);
// The new item.
intptr_t TreeViewAdd(StdTreeViewControl& control, std::string_view text);
