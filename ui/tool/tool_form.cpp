#include "ui/tool/tool_form.h"

#include "link/port_control.h"
#include "runtime/log.h"
#include "runtime/message_box.h"
#include "runtime/program_state.h"
#include "ui/tool/connection_state.h"
#include "ui/tool/file_commands.h"
#include "ui/tool/port_and_speed.h"
#include "ui/tool/settings_area.h"
#include "ui/tool/status_line.h"
#include "ui/tool/system_commands.h"
#include "ui/tool/unit_list.h"
#include "ui/toolkit/console/console_window.h"
#include "ui/toolkit/controls/form_trace.h"

ToolForm TheToolForm;

namespace {

// The form's size, in points.
constexpr int FormWidth = 750;
constexpr int FormHeight = 450;

constexpr Colour FormBackground = Rgb(140, 215, 255);
constexpr Colour InitialBackground = Rgb(213, 240, 255);
constexpr Colour ListPanelColour = Rgb(99, 184, 255);
constexpr Colour SettingsAreaColour = Rgb(226, 245, 255);
constexpr Colour FieldColour = Rgb(235, 250, 255);

constexpr uint32_t NoWrap = SS_LEFTNOWORDWRAP;
constexpr uint32_t UnitListStyle = LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL;
constexpr uint32_t LockCheckStyle = BS_CHECKBOX | BS_LEFTTEXT;

struct Box {
  int left, top, right, bottom;
};

// Left, top, right, bottom in points, in box order.
constexpr Box PortTextBox{10, 12, 104, 28};
constexpr Box PortArrowsBox{104, 10, 120, 30};
constexpr Box SpeedTextBox{130, 12, 224, 28};
constexpr Box SpeedArrowsBox{224, 10, 240, 30};
constexpr Box ConnectBox{255, 10, 345, 30};
constexpr Box SearchBox{350, 10, 440, 30};
constexpr Box LogBox{650, 10, 740, 30};
constexpr Box UnitListBox{10, 40, 215, 390};
constexpr Box UpdateAllBox{10, 395, 105, 415};
constexpr Box SaveSystemLogsBox{110, 395, 215, 415};
constexpr Box ListPanelBox{5, 35, 220, 420};
constexpr Box UnitTitleBox{225, 40, 645, 60};
constexpr Box MenuBox{650, 40, 740, 60};
constexpr Box ReadoutBoxes[3] = {{225, 70, 380, 100}, {385, 70, 575, 100}, {580, 70, 735, 100}};
constexpr Box ReadoutCaptionBoxes[3] = {{225, 100, 380, 112}, {385, 100, 575, 112}, {580, 100, 735, 112}};
constexpr Box LockLabelBox{230, 117, 315, 133};
constexpr Box LockCheckBox{320, 115, 395, 135};
constexpr Box LockStateBox{400, 117, 735, 133};
constexpr Box RefreshBox{225, 395, 305, 415};
constexpr Box GenerateModbusBox{315, 395, 430, 415};
constexpr Box GenerateFieldbusBox{435, 395, 550, 415};
constexpr Box SaveSetupBox{555, 395, 645, 415};
constexpr Box LoadSetupBox{650, 395, 740, 415};
constexpr Box SettingsPanelBox{220, 35, 745, 420};
constexpr Box StatusLineBox{5, 425, 745, 445};

// The setting rows: 30 points apart, the label and the description 16 high, the edit
// box and the arrows 20 high and two points higher.
constexpr int FirstRowTop = 147;
constexpr int RowPitch = 30;
Box RowLabelBox(int row) { return {230, FirstRowTop + row * RowPitch, 315, FirstRowTop + row * RowPitch + 16}; }
Box RowEditBox(int row) { return {320, FirstRowTop + row * RowPitch - 2, 395, FirstRowTop + row * RowPitch + 18}; }
Box RowArrowsBox(int row) { return {395, FirstRowTop + row * RowPitch - 2, 411, FirstRowTop + row * RowPitch + 18}; }
Box RowDescriptionBox(int row) {
  int left = SettingRowHasArrows[row] ? 412 : 396;
  return {left, FirstRowTop + row * RowPitch, 735, FirstRowTop + row * RowPitch + 16};
}

Rect Pixels(ToolForm& form, Box box) { return PelScaleBox(form.window, box.left, box.top, box.right, box.bottom); }

void MakeStatic(ToolForm& form, StdStaticControl& control, Box box, uint32_t style) {
  Rect r = Pixels(form, box);
  CreateStdStatic(control, form.window, "", style, r.x, r.y, r.width, r.height);
  control.UserData = &form;
}

void MakeButton(ToolForm& form, StdButtonControl& control, Box box, std::string_view text, uint32_t style,
                void (*onClick)(void*)) {
  Rect r = Pixels(form, box);
  CreateStdButton(control, form.window, "", style, r.x, r.y, r.width, r.height);
  control.UserData = &form;
  control.OnClick = onClick;
  PelSetText(control.window, text);
}

void MakeArrows(ToolForm& form, StdUpDownControl& control, Box box, void (*onDelta)(void*, int)) {
  Rect r = Pixels(form, box);
  CreateStdUpDown(control, form.window, "", r.x, r.y, r.width, r.height);
  control.UserData = &form;
  control.OnDelta = onDelta;
}

void MakeEdit(ToolForm& form, StdEditControl& control, Box box) {
  Rect r = Pixels(form, box);
  CreateStdEdit(control, form.window, "", ES_RIGHT, r.x, r.y, r.width, r.height);
  control.UserData = &form;
}

void SetFormFont(ToolForm& form, int points) {
  PelSetFont(form.window, "Arial", PelScaleY(form.window, points), false, false, false);
}

void OnLogClick(void* data) {
  auto& form = *static_cast<ToolForm*>(data);
  SetLogVisible(form, !form.LogVisible);
}

void OnUnitListSelect(void* data) {
  auto& form = *static_cast<ToolForm*>(data);
  int line = ListBoxSelected(form.unitList);
  SelectUnit(form, line < 0 ? 0 : static_cast<int>(ListBoxGetValue(form.unitList, line)));
}

void CreateControls(ToolForm& form) {
  PelSetBackgroundColour(form.window, FieldColour);
  MakeStatic(form, form.portText, PortTextBox, NoWrap);
  MakeArrows(form, form.portArrows, PortArrowsBox, OnPortDelta);
  MakeStatic(form, form.speedText, SpeedTextBox, NoWrap);
  MakeArrows(form, form.speedArrows, SpeedArrowsBox, OnSpeedDelta);
  MakeButton(form, form.connectButton, ConnectBox, "Connect", BS_DEFPUSHBUTTON, OnConnectClick);
  MakeButton(form, form.searchButton, SearchBox, "Search", 0, OnSearchClick);
  MakeButton(form, form.logButton, LogBox, "Show Log", 0, OnLogClick);
  Rect list = Pixels(form, UnitListBox);
  CreateStdListBox(form.unitList, form.window, "", UnitListStyle, list.x, list.y, list.width, list.height);
  form.unitList.UserData = &form;
  form.unitList.OnSelect = OnUnitListSelect;
  MakeButton(form, form.updateAllButton, UpdateAllBox, "Update All", 0, OnUpdateAllClick);
  MakeButton(form, form.saveSystemLogsButton, SaveSystemLogsBox, "Save System Logs", 0, OnSaveSystemLogsClick);
  PelEnable(form.updateAllButton.window, false);
  PelEnable(form.saveSystemLogsButton.window, false);

  PelSetBackgroundColour(form.window, ListPanelColour);
  MakeStatic(form, form.listPanel, ListPanelBox, 0);

  PelSetBackgroundColour(form.window, SettingsAreaColour);
  MakeStatic(form, form.unitTitle, UnitTitleBox, NoWrap);
  MakeButton(form, form.menuButton, MenuBox, "Menu", 0, OnMenuClick);
  PelShow(form.menuButton.window, false);
  SetFormFont(form, 24);
  for (int i = 0; i < 3; ++i) MakeStatic(form, form.readouts[i], ReadoutBoxes[i], SS_RIGHT);
  SetFormFont(form, 8);
  for (int i = 0; i < 3; ++i) MakeStatic(form, form.readoutCaptions[i], ReadoutCaptionBoxes[i], SS_RIGHT);
  SetFormFont(form, 10);
  MakeStatic(form, form.lockLabel, LockLabelBox, NoWrap);
  MakeButton(form, form.lockCheck, LockCheckBox, "", LockCheckStyle, nullptr);
  MakeStatic(form, form.lockState, LockStateBox, NoWrap);
  for (int row = 0; row < SettingRowCount; ++row) {
    SettingRow& controls = form.settingRows[row];
    MakeStatic(form, controls.label, RowLabelBox(row), NoWrap);
    PelSetBackgroundColour(form.window, FieldColour);
    MakeEdit(form, controls.edit, RowEditBox(row));
    PelSetBackgroundColour(form.window, SettingsAreaColour);
    if (SettingRowHasArrows[row]) MakeArrows(form, controls.arrows, RowArrowsBox(row), nullptr);
    MakeStatic(form, controls.description, RowDescriptionBox(row), NoWrap);
  }
  ConnectSettingsArea(form);
  MakeButton(form, form.refreshButton, RefreshBox, "Refresh", 0, OnRefreshClick);
  MakeButton(form, form.generateModbusButton, GenerateModbusBox, "Generate Modbus...", 0, OnGenerateModbusClick);
  MakeButton(form, form.generateFieldbusButton, GenerateFieldbusBox, "Generate Fieldbus...", 0,
             OnGenerateFieldbusClick);
  MakeButton(form, form.saveSetupButton, SaveSetupBox, "Save Setup...", 0, OnSaveSetupClick);
  MakeButton(form, form.loadSetupButton, LoadSetupBox, "Load Setup...", 0, OnLoadSetupClick);
  MakeStatic(form, form.settingsPanel, SettingsPanelBox, 0);
  MakeStatic(form, form.statusLine, StatusLineBox, NoWrap);
}

intptr_t ToolFormInitialise(PelWindow* window) {
  auto& form = *reinterpret_cast<ToolForm*>(window);
  FormTrace("ToolFormInitialise");
  PelSetClientSize(form.window, PelScaleX(form.window, FormWidth), PelScaleY(form.window, FormHeight));
  PelSetTextColour(form.window, SystemColour(COLOR_WINDOWTEXT));
  PelSetBackgroundColour(form.window, InitialBackground);
  SetFormFont(form, 10);
  CreateControls(form);
  PelSetBackgroundColour(form.window, FormBackground);
  PelSetTimer(form.window, StatusTimer, StatusTimerMs);
  PelSetTimer(form.window, ReadoutTimer, ReadoutTimerMs);
  return 0;
}

intptr_t ToolFormFinalise(PelWindow* window) {
  auto& form = *reinterpret_cast<ToolForm*>(window);
  FormTrace("ToolFormFinalise");
  PelKillTimer(form.window, StatusTimer);
  PelKillTimer(form.window, ReadoutTimer);
  PelKillTimer(form.window, ClearSelectionTimer);
  DestroyStdControlIfMade(form.portText);
  DestroyStdControlIfMade(form.portArrows);
  DestroyStdControlIfMade(form.speedText);
  DestroyStdControlIfMade(form.speedArrows);
  DestroyStdControlIfMade(form.connectButton);
  DestroyStdControlIfMade(form.searchButton);
  DestroyStdControlIfMade(form.logButton);
  DestroyStdControlIfMade(form.unitList);
  DestroyStdControlIfMade(form.updateAllButton);
  DestroyStdControlIfMade(form.saveSystemLogsButton);
  DestroyStdControlIfMade(form.listPanel);
  DestroyStdControlIfMade(form.unitTitle);
  DestroyStdControlIfMade(form.menuButton);
  for (auto& readout : form.readouts) DestroyStdControlIfMade(readout);
  for (auto& caption : form.readoutCaptions) DestroyStdControlIfMade(caption);
  DestroyStdControlIfMade(form.lockLabel);
  DestroyStdControlIfMade(form.lockCheck);
  DestroyStdControlIfMade(form.lockState);
  for (SettingRow& row : form.settingRows) {
    DestroyStdControlIfMade(row.label);
    DestroyStdControlIfMade(row.edit);
    DestroyStdControlIfMade(row.arrows);
    DestroyStdControlIfMade(row.description);
  }
  DestroyStdControlIfMade(form.refreshButton);
  DestroyStdControlIfMade(form.generateModbusButton);
  DestroyStdControlIfMade(form.generateFieldbusButton);
  DestroyStdControlIfMade(form.saveSetupButton);
  DestroyStdControlIfMade(form.loadSetupButton);
  DestroyStdControlIfMade(form.settingsPanel);
  DestroyStdControlIfMade(form.statusLine);
  return 0;
}

intptr_t ToolFormMinMax(PelWindow* window, int32_t* sizes) {
  int width = PelScaleX(*window, FormWidth);
  int height = PelScaleY(*window, FormHeight);
  sizes[0] = sizes[2] = width;
  sizes[1] = sizes[3] = height;
  return Handled;
}

intptr_t ToolFormSetFocus(PelWindow* window) {
  PelSetFocus(reinterpret_cast<ToolForm*>(window)->connectButton.window);
  return Handled;
}

// During a long operation the close box (the main window's or the log window's) asks
// before it stops the operation: a unit being updated may be left without software.
intptr_t ToolFormClose(PelWindow* window) {
  ToolForm& form = *reinterpret_cast<ToolForm*>(window);
  if (form.StopQuestion == nullptr) {
    ExitRequested = true;
    return Handled;
  }
  static bool asking = false;
  if (asking || ExitRequested) return Handled;
  asking = true;
  bool stop = ShowMessage(String::Constant(form.StopQuestion), "Quarnet", MessageYesNo | MessageIconWarning) == ButtonYes;
  asking = false;
  if (stop) {
    PutText(ReportStream, "-- stop requested by the operator\r\n");
    ExitRequested = true;
  }
  return Handled;
}

// The ticks skip a window disabled by a long operation or a form of its own, so that
// nothing in it changes under the operator's feet.
bool TicksCount(ToolForm& form) { return !ExitRequested && PelIsEnabled(form.window); }

intptr_t ToolFormTimer(PelWindow* window, uintptr_t id) {
  auto& form = *reinterpret_cast<ToolForm*>(window);
  switch (id) {
    case StatusTimer:
      // A long operation's progress is the one thing that changes in a disabled window.
      if (TicksCount(form) || (!ExitRequested && form.StopQuestion != nullptr)) ShowPendingStatus(form);
      break;
    case ReadoutTimer:
      // Stopped while the read-outs are read, so that a slow unit cannot pile up ticks;
      // a tick in a disabled window only waits, and the read-outs resume after it.
      PelKillTimer(form.window, ReadoutTimer);
      if (ExitRequested) break;
      if (form.UnitReady && PelIsEnabled(form.window)) RefreshReadouts(form);
      PelSetTimer(form.window, ReadoutTimer, ReadoutTimerMs);
      break;
    case ClearSelectionTimer:
      PelKillTimer(form.window, ClearSelectionTimer);
      if (!TicksCount(form)) break;
      // A unit lost because the link itself is gone leaves nothing to be connected to.
      if (LinkVanished()) EnterDisconnectedState(form);
      else SelectUnit(form, 0);
      break;
  }
  return Handled;
}

const PelVTable ToolFormTable{
    .OnCreate = ToolFormInitialise,
    .OnDestroy = ToolFormFinalise,
    .OnGetMinMaxInfo = ToolFormMinMax,
    .OnSetFocus = ToolFormSetFocus,
    .OnTimer = ToolFormTimer,
    .OnClose = ToolFormClose,
};

}  // namespace

bool CreateToolForm(ToolForm& form, std::string_view title, int showCommand) {
  if (!CreatePelWindow(form.window, &ToolFormTable, nullptr, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, "",
                       -1, -1, -1, -1)) {
    return false;
  }
  PelShowCommand(form.window, showCommand);
  return true;
}

void DestroyToolForm(ToolForm& form) { DestroyPelWindow(form.window); }

void SetLogVisible(ToolForm& form, bool visible) {
  form.LogVisible = visible;
  PelSetText(form.logButton.window, visible ? "Hide Log" : "Show Log");
  ShowConsole(visible ? SW_SHOW : SW_HIDE);
}
