#include "ui/tool/connection_state.h"

#include "link/port_control.h"
#include "ops/connect_unit.h"
#include "platform/port_names.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/program_state.h"
#include "ui/tool/port_and_speed.h"
#include "ui/tool/tool_form.h"
#include "ops/tool_settings.h"
#include "ui/tool/unit_list.h"

namespace {

// A link that vanished (the adapter pulled, the far end hung up) reaches no unit any
// more: the window says so and is disconnected, rather than showing what it had read
// so far as a connected system. True when it did.
bool EndIfLinkVanished(ToolForm& form) {
  if (!LinkVanished()) return false;
  LostConnection(form);
  EnterDisconnectedState(form);
  return true;
}

void ShowConnected(ToolForm& form, ConnectOutcome outcome) {
  if (outcome == ConnectOutcome::LinkVanished) {
    LostConnection(form);
    EnterDisconnectedState(form);
  } else if (outcome == ConnectOutcome::Connected) {
    EnterConnectedState(form);
  }
}

void ConnectOnChosenPort(ToolForm& form) {
  if (PortNumber == 0) return;
  if (IsPortOpen()) {
    EnterDisconnectedState(form);
    return;
  }
  BaudRate = SettingsFileSpeed();
  ConnectOutcome outcome = ConnectOnPort(form.ConnectedUnit);
  if (outcome == ConnectOutcome::NoUnit) {
    EnterDisconnectedState(form);
    ReportNoUnitFound();
  }
  ShowConnected(form, outcome);
}

}  // namespace

void OnConnectClick(void* form) { ConnectOnChosenPort(*static_cast<ToolForm*>(form)); }

void OnSearchClick(void* form) { Search(*static_cast<ToolForm*>(form)); }

void Search(ToolForm& form) {
  if (IsPortOpen()) EnterDisconnectedState(form);
  bool logWasVisible = form.LogVisible;
  SetLogVisible(form, true);
  bool pathPort = PortNumber == PathPortNumber;
  ConnectOutcome outcome = SearchAndConnect(form.ConnectedUnit);
  if (outcome == ConnectOutcome::Connected || outcome == ConnectOutcome::LinkVanished) {
    SetPort(form, PortNumber);
    ShowConnected(form, outcome);
  } else {
    EnterDisconnectedState(form);
    SetPort(form, pathPort ? PathPortNumber : SettingsFilePort());
    ReportNoUnitFound();
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
