#include "ui/toolkit/controls/std_controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ui/toolkit/controls/toolkit_fixture.h"
#include "ui/toolkit/core/window_core.h"

namespace {

// A form holding one control of each kind; every callback notes its name.
struct ControlsForm {
  PelWindow window;
  StdButtonControl button;
  StdButtonControl check;
  StdEditControl edit;
  StdListBoxControl list;
  StdUpDownControl arrows;
  StdProgressControl bar;
  StdTreeViewControl tree;
  StdStaticControl label;
  std::vector<std::string> calls;
};

void Note(void* form, const char* what) { static_cast<ControlsForm*>(form)->calls.push_back(what); }

// What the control drew at its last paint.
DrawingList PictureOf(WindowHandle control) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(control);
  return record != nullptr && record->picture != nullptr ? *record->picture : DrawingList{};
}

bool Draws(WindowHandle control, DrawKind kind, Colour colour) {
  DrawingList picture = PictureOf(control);
  return std::any_of(picture.begin(), picture.end(),
                     [&](const DrawCommand& command) { return command.kind == kind && command.colour == colour; });
}

bool DrawsFocusFrame(WindowHandle control) {
  DrawingList picture = PictureOf(control);
  return std::any_of(picture.begin(), picture.end(),
                     [](const DrawCommand& command) { return command.kind == DrawKind::FocusFrame; });
}

// A pushed button's edge is a dark frame; a raised one is drawn in lines.
bool LooksPressed(WindowHandle button) { return Draws(button, DrawKind::FrameBox, SystemColour(COLOR_3DDKSHADOW)); }

class StdControls : public HeadlessToolkit {
 protected:
  void SetUp() override {
    HeadlessToolkit::SetUp();
    static const PelVTable formTable{};
    ASSERT_TRUE(CreatePelWindow(form.window, &formTable, nullptr, "Controls", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, "",
                                0, 0, 600, 400));
    PelSetFont(form.window, "Arial", 13, false, false, false);
    CreateStdButton(form.button, form.window, "Connect", BS_DEFPUSHBUTTON, 10, 10, 90, 25);
    form.button.UserData = &form;
    form.button.OnClick = [](void* form) { Note(form, "click"); };
    form.button.OnPress = [](void* form) { Note(form, "press"); };
    form.button.OnRelease = [](void* form) { Note(form, "release"); };
    CreateStdButton(form.check, form.window, "Locked", BS_CHECKBOX | BS_LEFTTEXT, 110, 10, 90, 25);
    CreateStdEdit(form.edit, form.window, "", ES_RIGHT, 10, 50, 120, 24);
    form.edit.UserData = &form;
    form.edit.OnEnter = [](void* form) { Note(form, "enter"); };
    form.edit.OnChange = [](void* form) { Note(form, "change"); };
    form.edit.OnGotFocus = [](void* form) { Note(form, "got focus"); };
    form.edit.OnLostFocus = [](void* form) { Note(form, "lost focus"); };
    CreateStdListBox(form.list, form.window, "", LBS_NOTIFY | LBS_HASSTRINGS, 10, 90, 150, 100);
    form.list.UserData = &form;
    form.list.OnSelect = [](void* form) { Note(form, "select"); };
    CreateStdUpDown(form.arrows, form.window, "", 140, 50, 16, 24);
    form.arrows.UserData = &form;
    form.arrows.OnDelta = [](void* form, int delta) { Note(form, delta < 0 ? "delta -" : "delta +"); };
    CreateStdProgress(form.bar, form.window, "", 0, 200, 50, 150, 16);
    CreateStdTreeView(form.tree, form.window, "", 0, 400, 90, 150, 200);
    form.tree.UserData = &form;
    form.tree.OnSelect = [](void* form) { Note(form, "tree select"); };
    CreateStdStatic(form.label, form.window, "COM3", SS_LEFTNOWORDWRAP, 200, 10, 100, 20);
    PumpMessages();
    form.calls.clear();
  }

  ControlsForm form;
};

TEST_F(StdControls, AClickPressesReleasesAndClicksInTheOrderOfTheMessages) {
  OperatorClick(form.button.window.hwnd);
  PumpMessages();
  EXPECT_EQ(form.calls, (std::vector<std::string>{"press", "release", "click"}));
  form.calls.clear();
  // Pressed on the button, released beside it: no click.
  OperatorMouse(form.button.window.hwnd, MouseAction::LeftDown, {5, 5}, KeyLeftButton);
  OperatorMouse(form.button.window.hwnd, MouseAction::LeftUp, {200, 5});
  // The space bar clicks the button that has the focus.
  OperatorPressKey(form.button.window.hwnd, VK_SPACE, ' ');
  PelEnable(form.button.window, false);
  OperatorClick(form.button.window.hwnd);
  PumpMessages();
  EXPECT_EQ(form.calls, (std::vector<std::string>{"press", "release", "click"}));
  EXPECT_FALSE(PelIsEnabled(form.button.window));
}

TEST_F(StdControls, ACheckBoxShowsWhatTheFormSets) {
  OperatorClick(form.check.window.hwnd);
  PumpMessages();
  EXPECT_FALSE(ButtonChecked(form.check.window.hwnd)) << "a plain check box leaves its state to the form";
  ButtonSetCheck(form.check, true);
  EXPECT_TRUE(ButtonGetCheck(form.check));
  EXPECT_TRUE(ButtonChecked(form.check.window.hwnd));
}

TEST_F(StdControls, TypingAndEnterInAnEditBox) {
  OperatorType(form.edit.window.hwnd, "12.5\r");
  PumpMessages();
  EXPECT_EQ(PelGetText(form.edit.window), "12.5") << "Enter inserts nothing";
  EXPECT_EQ(form.calls, (std::vector<std::string>{"got focus", "change", "change", "change", "change", "enter"}));
  EXPECT_TRUE(EditModified(form.edit));
  PelSetText(form.edit.window, "7");
  EXPECT_FALSE(EditModified(form.edit)) << "setting the text clears the mark";
  form.calls.clear();
  OperatorPressKey(form.edit.window.hwnd, VK_END);
  OperatorPressKey(form.edit.window.hwnd, VK_BACK, '\b');
  OperatorType(form.edit.window.hwnd, "42");
  OperatorClick(form.button.window.hwnd);
  PumpMessages();
  EXPECT_EQ(PelGetText(form.edit.window), "42");
  EXPECT_EQ(form.calls.front(), "change");
  EXPECT_NE(std::find(form.calls.begin(), form.calls.end(), "lost focus"), form.calls.end());
}

TEST_F(StdControls, TypedCharactersAreStoredAsUtf8AndBackspaceTakesAWholeOne) {
  struct Case {
    uint32_t character;
    std::string bytes;
  };
  const Case cases[] = {
      {0xE9, "\xC3\xA9"}, {0x7FF, "\xDF\xBF"}, {0x20AC, "\xE2\x82\xAC"}, {0x1F600, "\xF0\x9F\x98\x80"}};
  for (const Case& each : cases) {
    PelSetText(form.edit.window, "a");
    OperatorClick(form.edit.window.hwnd);
    OperatorPressKey(form.edit.window.hwnd, VK_END);
    OperatorPressKey(form.edit.window.hwnd, 0, each.character);
    PumpMessages();
    EXPECT_EQ(PelGetText(form.edit.window), "a" + each.bytes) << std::hex << "character 0x" << each.character;
    OperatorPressKey(form.edit.window.hwnd, VK_BACK, '\b');
    PumpMessages();
    EXPECT_EQ(PelGetText(form.edit.window), "a") << std::hex << "character 0x" << each.character;
  }
}

TEST_F(StdControls, AnEditBoxReadsItsLinesAndReplacesItsSelection) {
  PelSetText(form.edit.window, "first\r\nsecond line\r\nthird");
  EXPECT_EQ(EditLineCount(form.edit), 3);
  EXPECT_EQ(EditLine(form.edit, 1), "second line");
  EXPECT_EQ(EditLineIndex(form.edit, 2), 20);
  EXPECT_EQ(EditLineLength(form.edit, 8), 11);
  EditSelect(form.edit, 0, 5);
  EditReplaceSelection(form.edit, "1st");
  EXPECT_EQ(PelGetText(form.edit.window), "1st\r\nsecond line\r\nthird");
  EXPECT_TRUE(EditModified(form.edit));
  EditSetModified(form.edit, false);
  EXPECT_FALSE(EditModified(form.edit));
}

TEST_F(StdControls, PickingAListLineSelectsItAndTellsTheForm) {
  for (const char* unit : {"02  KT7", "05  KD6", "09  KR5"}) ListBoxSetValue(form.list, ListBoxAdd(form.list, unit), 7);
  ListBoxSetValue(form.list, 1, 5);
  ListBoxSelect(form.list, 0);
  EXPECT_TRUE(form.calls.empty()) << "the program's selection is not the operator's";
  ASSERT_TRUE(OperatorPickListLine(form.list.window.hwnd, 1));
  PumpMessages();
  EXPECT_EQ(form.calls, (std::vector<std::string>{"select"}));
  EXPECT_EQ(ListBoxSelected(form.list), 1);
  EXPECT_EQ(ListBoxGetValue(form.list, ListBoxSelected(form.list)), 5);
  EXPECT_EQ(ListLines(form.list.window.hwnd), (std::vector<std::string>{"02  KT7", "05  KD6", "09  KR5"}));
  OperatorPressKey(form.list.window.hwnd, VK_DOWN);
  PumpMessages();
  EXPECT_EQ(ListSelection(form.list.window.hwnd), 2);
  EXPECT_FALSE(OperatorPickListLine(form.list.window.hwnd, 40)) << "no such line in view";
  ListBoxClear(form.list);
  EXPECT_EQ(ListBoxCount(form.list), 0);
  EXPECT_EQ(ListBoxSelected(form.list), -1);
}

TEST_F(StdControls, ControlsMarkTheFocusOnlyWhileTheyHoldIt) {
  ListBoxAdd(form.list, "02  KT7");
  ListBoxSelect(form.list, 0);
  TreeViewAdd(form.tree, "Display");
  SendMessage(form.tree.window.hwnd, TVM_SELECTITEM, TVGN_CARET, 1);
  struct Case {
    const char* control;
    WindowHandle window;
    std::function<bool(WindowHandle)> showsFocus;
  };
  const Case cases[] = {
      {"button", form.button.window.hwnd, DrawsFocusFrame},
      {"check box", form.check.window.hwnd, DrawsFocusFrame},
      {"list box", form.list.window.hwnd, DrawsFocusFrame},
      {"tree view", form.tree.window.hwnd,
       [](WindowHandle tree) { return Draws(tree, DrawKind::FillBox, SystemColour(COLOR_HIGHLIGHT)); }},
  };
  for (const Case& each : cases) {
    SetFocus(each.window);
    PumpMessages();
    EXPECT_TRUE(each.showsFocus(each.window)) << each.control << " with the focus";
    SetFocus(form.window.hwnd);
    PumpMessages();
    EXPECT_FALSE(each.showsFocus(each.window)) << each.control << " after the focus left";
  }
}

TEST_F(StdControls, ASpaceBarPressEndsWithTheFocusAndAMousePressLastsUntilItsRelease) {
  WindowHandle button = form.button.window.hwnd;
  SetFocus(button);
  DeliverKey(GetTopLevel(button), true, VK_SPACE, ' ', 0);
  PumpMessages();
  ASSERT_TRUE(LooksPressed(button));
  SetFocus(form.list.window.hwnd);
  DeliverKey(GetTopLevel(button), false, VK_SPACE, 0, 0);
  PumpMessages();
  EXPECT_FALSE(LooksPressed(button));

  OperatorMouse(button, MouseAction::LeftDown, {5, 5}, KeyLeftButton);
  PumpMessages();
  SetFocus(form.list.window.hwnd);
  PumpMessages();
  EXPECT_TRUE(LooksPressed(button)) << "the mouse still holds it";
  OperatorMouse(button, MouseAction::LeftUp, {5, 5});
  PumpMessages();
  EXPECT_FALSE(LooksPressed(button));
  EXPECT_EQ(std::count(form.calls.begin(), form.calls.end(), "click"), 1) << "only the mouse's press clicked";
}

TEST_F(StdControls, TheUpperArrowStepsByMinusOne) {
  OperatorStepUpDown(form.arrows.window.hwnd, true);
  OperatorStepUpDown(form.arrows.window.hwnd, false);
  PumpMessages();
  EXPECT_EQ(form.calls, (std::vector<std::string>{"delta -", "delta +"}));
}

TEST_F(StdControls, ProgressBarAndTreeViewAndStaticReadBack) {
  ProgressSetPosition(form.bar, 40);
  EXPECT_EQ(ProgressPosition(form.bar.window.hwnd), 40);
  ProgressSetRange(form.bar, 10);
  EXPECT_EQ(ProgressPosition(form.bar.window.hwnd), 10) << "kept within the new range";

  TreeViewAdd(form.tree, "Display");
  TreeViewAdd(form.tree, "Transmitter");
  EXPECT_EQ(TreeItems(form.tree.window.hwnd), (std::vector<std::string>{"Display", "Transmitter"}));
  OperatorPickTreeItem(form.tree.window.hwnd, 1);
  PumpMessages();
  EXPECT_EQ(form.calls, (std::vector<std::string>{"tree select"}));
  EXPECT_EQ(TreeSelection(form.tree.window.hwnd), 1);
  TreeViewClear(form.tree);
  EXPECT_TRUE(TreeItems(form.tree.window.hwnd).empty());

  EXPECT_EQ(PelGetText(form.label.window), "COM3");
  PelShow(form.label.window, false);
  EXPECT_FALSE(PelIsVisible(form.label.window));
  PelShow(form.label.window, true);
  PelShow(form.window, false);
  EXPECT_FALSE(PelIsVisible(form.label.window)) << "a control is seen only while its form is";
}

}  // namespace
