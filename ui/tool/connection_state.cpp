#include "ui/tool/connection_state.h"

#include <cstring>

#include "link/port_control.h"
#include "platform/port_names.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "runtime/files.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/message_box.h"
#include "runtime/program_state.h"
#include "ui/tool/port_and_speed.h"
#include "ui/tool/tool_form.h"
#include "ui/tool/tool_settings.h"
#include "ui/tool/unit_list.h"

namespace {

void Report(std::string_view text) { PutText(ReportStream, text); }

void ReportPort(std::string_view what) {
  PutString(ReportStream, PortName(PortNumber));
  Report(what);
}

// Without the right to open serial ports no unit is ever found, and the console's
// lines pass unseen: a box names the device and what the operator can do about it.
void ShowPermissionRefusal() {
  PermissionRefusal refusal = FirstPermissionRefusal();
  if (refusal.port == 0) return;
  String text = "Cannot open ";
  text += DevicePathForPort(refusal.port).View();
  text += ": ";
  text += std::strerror(refusal.systemErrorNumber);
  text += ". Add your user to the dialout group (sudo usermod -aG dialout $USER), then log in again.";
  ShowMessage(text, "Error", MessageIconError);
}

// Where cooperating tools look for the port's lock file.
void ReportLockFolder() {
  String folder = GetEnvironment("VELANTORLOCKDIR");
  if (folder.Empty()) return;
  Report("   VELANTORLOCKDIR : ");
  PutString(ReportStream, folder);
  Report("\r\n");
}

void ReportOpenFailure() {
  std::string_view failure = PortOpenFailureText(LastPortError());
  if (!failure.empty()) {
    ReportPort(failure);
  } else {
    ReportPort(" ERROR:");
    Report(std::strerror(LastPortErrorNumber()));
    Report("\r\n");
  }
}

// A link that vanished (the adapter pulled, the far end hung up) reaches no unit any
// more: the window says so and is disconnected, rather than showing what it had read
// so far as a connected system. True when it did.
bool EndIfLinkVanished(ToolForm& form) {
  if (!LinkVanished()) return false;
  LostConnection(form);
  EnterDisconnectedState(form);
  return true;
}

// The unit found on the open port becomes the connected unit, its full description
// read. False when no unit could be connected on it.
bool ConnectFoundUnit(ToolForm& form) {
  if (!Connect(form.ConnectedUnit)) return EndIfLinkVanished(form);
  ReadExtendedInfo(form.ConnectedUnit);
  ReadAdvancedInfo(form.ConnectedUnit);
  if (!EndIfLinkVanished(form)) EnterConnectedState(form);
  return true;
}

bool SearchWith(ToolForm& form, bool (*search)(UnitInfo& unit)) {
  // A unit found but not connected leaves its port open; the next search opens its own.
  if (IsPortOpen()) ClosePort();
  if (!search(form.ConnectedUnit)) return false;
  SetPort(form, PortNumber);
  return ConnectFoundUnit(form);
}

void ConnectOnChosenPort(ToolForm& form) {
  if (PortNumber == 0) return;
  if (IsPortOpen()) {
    EnterDisconnectedState(form);
    return;
  }
  BaudRate = SettingsFileSpeed();
  ReportLockFolder();
  ForgetPermissionRefusal();
  if (!OpenPort()) {
    ReportOpenFailure();
    ShowPermissionRefusal();
    return;
  }
  ReportPort(" opened\r\n");
  if (FindUnitOnPort(form.ConnectedUnit)) {
    ConnectFoundUnit(form);
  } else {
    EnterDisconnectedState(form);
    Report("-- cannot find a Velantor unit\r\n");
  }
}

}  // namespace

void OnConnectClick(void* form) { ConnectOnChosenPort(*static_cast<ToolForm*>(form)); }

void OnSearchClick(void* form) { Search(*static_cast<ToolForm*>(form)); }

void Search(ToolForm& form) {
  if (IsPortOpen()) EnterDisconnectedState(form);
  ReportLockFolder();
  bool logWasVisible = form.LogVisible;
  SetLogVisible(form, true);
  ForgetPermissionRefusal();
  bool pathPort = PortNumber == PathPortNumber;
  if (!(pathPort && SearchWith(form, SearchPathPort)) && !SearchWith(form, SearchEnvironmentPorts) &&
      !SearchWith(form, SearchAllPorts)) {
    EnterDisconnectedState(form);
    SetPort(form, pathPort ? PathPortNumber : SettingsFilePort());
    Report("-- cannot find a Velantor unit\r\n");
    ShowPermissionRefusal();
  }
  SetLogVisible(form, logWasVisible);
}

void EnterConnectedState(ToolForm& form) {
  PelSetText(form.connectButton.window, "Disconnect");
  RefreshUnitList(form);
  if (EndIfLinkVanished(form)) return;
  PelEnable(form.updateAllButton.window, true);
  PelEnable(form.saveSystemLogsButton.window, true);
  PutText(StandardOutput, "Connected\r\n");
}

void EnterDisconnectedState(ToolForm& form) {
  ClosePort();
  PelSetText(form.connectButton.window, "Connect");
  ListBoxClear(form.unitList);
  PelEnable(form.updateAllButton.window, false);
  PelEnable(form.saveSystemLogsButton.window, false);
  SelectUnit(form, 0);
  PutText(StandardOutput, "Disconnected\r\n");
}
