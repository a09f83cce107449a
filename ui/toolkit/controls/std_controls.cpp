#include "ui/toolkit/controls/std_controls.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

template <class Control>
Control& ControlOf(PelWindow* window) {
  return *reinterpret_cast<Control*>(window);
}

void Run(void (*callback)(void*), void* userData) {
  if (callback != nullptr) callback(userData);
}

intptr_t ListBoxCommand(PelWindow* window, int notification) {
  auto& control = ControlOf<StdListBoxControl>(window);
  if (notification == LBN_SELCHANGE) Run(control.OnSelect, control.UserData);
  return 0;
}

intptr_t ButtonCommand(PelWindow* window, int notification) {
  auto& control = ControlOf<StdButtonControl>(window);
  if (notification == BN_CLICKED) Run(control.OnClick, control.UserData);
  if (notification == BN_PUSHED) Run(control.OnPress, control.UserData);
  if (notification == BN_UNPUSHED) Run(control.OnRelease, control.UserData);
  return 0;
}

intptr_t ButtonDown(PelWindow* window, int, int, uint8_t) {
  auto& control = ControlOf<StdButtonControl>(window);
  Run(control.OnPress, control.UserData);
  return 0;
}

intptr_t ButtonUp(PelWindow* window, int, int, uint8_t) {
  auto& control = ControlOf<StdButtonControl>(window);
  Run(control.OnRelease, control.UserData);
  return 0;
}

// Keys on a button belong to the form the button sits on (its UserData).
PelWindow* KeyTarget(PelWindow* window) { return static_cast<PelWindow*>(ControlOf<StdButtonControl>(window).UserData); }

intptr_t ButtonKeyDown(PelWindow* window, uint32_t key, uint8_t modifiers) {
  PelWindow* form = KeyTarget(window);
  return form != nullptr && form->vtable->OnKeyDown != nullptr ? form->vtable->OnKeyDown(form, key, modifiers) : 0;
}

intptr_t ButtonKeyUp(PelWindow* window, uint32_t key, uint8_t modifiers) {
  PelWindow* form = KeyTarget(window);
  return form != nullptr && form->vtable->OnKeyUp != nullptr ? form->vtable->OnKeyUp(form, key, modifiers) : 0;
}

intptr_t ButtonChar(PelWindow* window, uint32_t character) {
  PelWindow* form = KeyTarget(window);
  return form != nullptr && form->vtable->OnChar != nullptr ? form->vtable->OnChar(form, character) : 0;
}

// Enter runs OnEnter and never reaches the edit box.
intptr_t EditChar(PelWindow* window, uint32_t character) {
  if (character != '\r') return 0;
  auto& control = ControlOf<StdEditControl>(window);
  Run(control.OnEnter, control.UserData);
  return Handled;
}

intptr_t EditCommand(PelWindow* window, int notification) {
  auto& control = ControlOf<StdEditControl>(window);
  if (notification == EN_SETFOCUS) Run(control.OnGotFocus, control.UserData);
  if (notification == EN_KILLFOCUS) Run(control.OnLostFocus, control.UserData);
  if (notification == EN_CHANGE) Run(control.OnChange, control.UserData);
  return 0;
}

intptr_t UpDownNotify(PelWindow* window, NotifyHeader* header) {
  auto& control = ControlOf<StdUpDownControl>(window);
  if (header->code == UDN_DELTAPOS && control.OnDelta != nullptr) {
    control.OnDelta(control.UserData, reinterpret_cast<UpDownNotification*>(header)->delta);
  }
  return 0;
}

intptr_t TreeViewCommand(PelWindow* window, int notification) {
  auto& control = ControlOf<StdTreeViewControl>(window);
  if (notification == TVN_SELECTIONCHANGED) Run(control.OnSelect, control.UserData);
  return 0;
}

const PelVTable ListBoxTable{.OnControlCommand = ListBoxCommand};
const PelVTable ButtonTable{.OnKeyDown = ButtonKeyDown,
                            .OnKeyUp = ButtonKeyUp,
                            .OnChar = ButtonChar,
                            .OnLButtonDown = ButtonDown,
                            .OnLButtonUp = ButtonUp,
                            .OnControlCommand = ButtonCommand};
const PelVTable StaticTable{};
const PelVTable EditTable{.OnChar = EditChar, .OnControlCommand = EditCommand};
const PelVTable UpDownTable{.OnNotify = UpDownNotify};
const PelVTable ProgressTable{};
const PelVTable TreeViewTable{.OnControlCommand = TreeViewCommand};

bool Create(PelWindow& window, const PelVTable& table, PelWindow& parent, std::string_view className,
            std::string_view text, uint32_t style, uint32_t extendedStyle, int x, int y, int width, int height) {
  return CreatePelWindow(window, &table, &parent, text, style, extendedStyle, className, x, y, width, height);
}

LResult Send(PelWindow& window, uint32_t message, WParam wParam = 0, LParam lParam = 0) {
  return SendMessage(window.hwnd, message, wParam, lParam);
}

}  // namespace

bool CreateStdListBox(StdListBoxControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x,
                      int y, int width, int height) {
  return Create(control.window, ListBoxTable, parent, "LISTBOX", text, style | ChildStyle, 0, x, y, width, height);
}

bool CreateStdButton(StdButtonControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x, int y,
                     int width, int height) {
  return Create(control.window, ButtonTable, parent, "BUTTON", text, style | ChildStyle, 0, x, y, width, height);
}

bool CreateStdStatic(StdStaticControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x, int y,
                     int width, int height) {
  return Create(control.window, StaticTable, parent, "STATIC", text, style | ChildStyle, 0, x, y, width, height);
}

bool CreateStdEdit(StdEditControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x, int y,
                   int width, int height) {
  return Create(control.window, EditTable, parent, "EDIT", text, style | ChildStyle | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                WS_EX_CLIENTEDGE, x, y, width, height);
}

bool CreateStdUpDown(StdUpDownControl& control, PelWindow& parent, std::string_view text, int x, int y, int width,
                     int height) {
  return Create(control.window, UpDownTable, parent, "msctls_updown32", text, ChildStyle, 0, x, y, width, height);
}

bool CreateStdProgress(StdProgressControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x,
                       int y, int width, int height) {
  return Create(control.window, ProgressTable, parent, "msctls_progress32", text, style | ChildStyle, 0, x, y, width,
                height);
}

bool CreateStdTreeView(StdTreeViewControl& control, PelWindow& parent, std::string_view text, uint32_t style, int x,
                       int y, int width, int height) {
  return Create(control.window, TreeViewTable, parent, "SysTreeView32", text, style | ChildStyle, 0, x, y, width,
                height);
}

void ListBoxClear(StdListBoxControl& control) { Send(control.window, LB_RESETCONTENT); }
int ListBoxCount(StdListBoxControl& control) { return static_cast<int>(Send(control.window, LB_GETCOUNT)); }

int ListBoxAdd(StdListBoxControl& control, std::string_view text) {
  std::string line(text);
  return static_cast<int>(Send(control.window, LB_ADDSTRING, 0, reinterpret_cast<LParam>(line.c_str())));
}

intptr_t ListBoxGetValue(StdListBoxControl& control, int index) {
  return Send(control.window, LB_GETITEMDATA, static_cast<WParam>(index));
}

void ListBoxSetValue(StdListBoxControl& control, int index, intptr_t value) {
  Send(control.window, LB_SETITEMDATA, static_cast<WParam>(index), value);
}

int ListBoxSelected(StdListBoxControl& control) { return static_cast<int>(Send(control.window, LB_GETCURSEL)); }

void ListBoxSelect(StdListBoxControl& control, int index) {
  Send(control.window, LB_SETCURSEL, static_cast<WParam>(index));
}

bool ButtonGetCheck(StdButtonControl& control) { return Send(control.window, BM_GETCHECK) == BST_CHECKED; }

void ButtonSetCheck(StdButtonControl& control, bool checked) {
  Send(control.window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

void ButtonSetBitmap(StdButtonControl& control, const Bitmap* bitmap) {
  Send(control.window, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LParam>(bitmap));
}

int EditLineCount(StdEditControl& control) { return static_cast<int>(Send(control.window, EM_GETLINECOUNT)); }

String EditLine(StdEditControl& control, int index) {
  constexpr uint16_t Room = 4096;
  std::vector<char> buffer(Room);
  std::memcpy(buffer.data(), &Room, sizeof Room);
  auto length = Send(control.window, EM_GETLINE, static_cast<WParam>(index), reinterpret_cast<LParam>(buffer.data()));
  return String::Copy(std::string_view(buffer.data(), static_cast<size_t>(length)));
}

int EditLineIndex(StdEditControl& control, int line) {
  return static_cast<int>(Send(control.window, EM_LINEINDEX, static_cast<WParam>(line)));
}

int EditLineLength(StdEditControl& control, int characterIndex) {
  return static_cast<int>(Send(control.window, EM_LINELENGTH, static_cast<WParam>(characterIndex)));
}

void EditSelect(StdEditControl& control, int start, int end) {
  Send(control.window, EM_SETSEL, static_cast<WParam>(start), end);
}

void EditReplaceSelection(StdEditControl& control, std::string_view text) {
  std::string replacement(text);
  Send(control.window, EM_REPLACESEL, 1, reinterpret_cast<LParam>(replacement.c_str()));
}

bool EditModified(StdEditControl& control) { return Send(control.window, EM_GETMODIFY) != 0; }
void EditSetModified(StdEditControl& control, bool modified) { Send(control.window, EM_SETMODIFY, modified); }

void ProgressSetRange(StdProgressControl& control, int maximum) { Send(control.window, PBM_SETRANGE32, 0, maximum); }

void ProgressSetPosition(StdProgressControl& control, int position) {
  Send(control.window, PBM_SETPOS, static_cast<WParam>(position));
}

void TreeViewClear(StdTreeViewControl& control) { Send(control.window, TVM_DELETEITEM, 0, TVI_ROOT); }

intptr_t TreeViewAdd(StdTreeViewControl& control, std::string_view text) {
  TreeViewInsertion insertion;
  insertion.text = text;
  return Send(control.window, TVM_INSERTITEM, 0, reinterpret_cast<LParam>(&insertion));
}
