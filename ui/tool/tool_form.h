// The main tool window: the port and speed selectors, Connect and Search, the list of
// the units of the connected system, the buttons of the system-wide and file
// operations, the selected unit's settings area and a status line that mirrors the
// latest line of the log. One ToolForm exists, program-wide: the status-line
// collector writes into it from wherever standard output is written.
#pragma once

#include "protocol/unit_info.h"
#include "runtime/string.h"
#include "ui/toolkit/controls/std_controls.h"

// One row of the settings area: a label, the edit box the value is typed into, the
// arrows (on the rows that step through a list of values) and the description.
struct SettingRow {
  StdStaticControl label;
  StdEditControl edit;
  StdUpDownControl arrows;
  StdStaticControl description;
};

inline constexpr int SettingRowCount = 7;
// The weight units and the response time step through their values.
inline constexpr bool SettingRowHasArrows[SettingRowCount] = {true, false, true, false, false, false, false};

// The controls are in the order they are created, which is also the order of their
// layout boxes.
struct ToolForm {
  PelWindow window;
  StdStaticControl portText;
  StdUpDownControl portArrows;
  StdStaticControl speedText;
  StdUpDownControl speedArrows;
  StdButtonControl connectButton;
  StdButtonControl searchButton;
  StdButtonControl logButton;
  StdListBoxControl unitList;
  StdButtonControl updateAllButton;
  StdButtonControl saveSystemLogsButton;
  StdStaticControl listPanel;
  StdStaticControl unitTitle;
  StdButtonControl menuButton;
  StdStaticControl readouts[3];
  // What each read-out is: the unit's setting number, as its manual names it.
  StdStaticControl readoutCaptions[3];
  StdStaticControl lockLabel;
  StdButtonControl lockCheck;
  StdStaticControl lockState;
  SettingRow settingRows[SettingRowCount];
  StdButtonControl refreshButton;
  StdButtonControl generateModbusButton;
  StdButtonControl generateFieldbusButton;
  StdButtonControl saveSetupButton;
  StdButtonControl loadSetupButton;
  StdStaticControl settingsPanel;
  StdStaticControl statusLine;

  UnitInfo ConnectedUnit{};
  bool LogVisible = false;
  String StatusText;
  // Where a long operation stands; shown in the status line instead of the latest
  // console line while it is not empty.
  String ProgressLine;
  bool StatusPending = false;
  bool UnitReady = false;
  bool FieldbusCapable = false;
  bool UnitHasSettings = false;
  UnitInfo SelectedUnit{};
  bool CalibrationLocked = true;
  // Set while a long operation runs: what the close box asks before it stops it.
  const char* StopQuestion = nullptr;
};

extern ToolForm TheToolForm;

// The row of the weight limit, shown only for the application that has one.
inline constexpr int LimitRow = 6;
inline constexpr uint16_t WeightIndicatorApplication = 61;

// Builds the window (with OnCreate laying out its controls) and shows it.
bool CreateToolForm(ToolForm& form, std::string_view title, int showCommand);
void DestroyToolForm(ToolForm& form);

// The timers of the window: the status line, the read-outs, and the one-shot that
// clears the selection after a lost connection.
inline constexpr uintptr_t StatusTimer = 1;
inline constexpr uintptr_t ReadoutTimer = 2;
inline constexpr uintptr_t ClearSelectionTimer = 3;
inline constexpr uint32_t StatusTimerMs = 100;
inline constexpr uint32_t ReadoutTimerMs = 1000;

// Show or hide the console log window, and the button text with it.
void SetLogVisible(ToolForm& form, bool visible);
