#include "ops/connect_unit.h"

#include <cstring>

#include "link/port_control.h"
#include "platform/port_names.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "runtime/console_streams.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/message_box.h"
#include "runtime/program_state.h"

namespace {

// Without the right to open serial ports no unit is ever found; empty when the search
// met no such refusal.
String PermissionRefusalText() {
  PermissionRefusal refusal = FirstPermissionRefusal();
  if (refusal.port == 0) return String();
  String text = "Cannot open ";
  text += DevicePathForPort(refusal.port).View();
  text += ": ";
  text += std::strerror(refusal.systemErrorNumber);
  text += ". Add your user to the dialout group (sudo usermod -aG dialout $USER), then log in again.";
  return text;
}

// The console's lines pass unseen: a box names the device and what the operator can
// do about it.
void ShowPermissionRefusal() {
  String text = PermissionRefusalText();
  if (!text.Empty()) ShowMessage(text, "Error", MessageIconError);
}

// Where cooperating tools look for the port's lock file.
void ReportLockFolder() {
  String folder = GetEnvironment("VELANTORLOCKDIR");
  if (folder.Empty()) return;
  PutLine(ReportStream, "   VELANTORLOCKDIR : ", folder);
}

void ReportOpenFailure() {
  std::string_view failure = PortOpenFailureText(LastPortError());
  if (!failure.empty()) {
    PutPieces(ReportStream, PortName(PortNumber), failure);
  } else {
    PutLine(ReportStream, PortName(PortNumber), " ERROR:", std::strerror(LastPortErrorNumber()));
  }
}

// The unit found on the open port becomes the connected unit, its full description read.
ConnectOutcome ConnectFoundUnit(UnitInfo& unit) {
  if (!Connect(unit)) return LinkVanished() ? ConnectOutcome::LinkVanished : ConnectOutcome::NotConnected;
  ReadExtendedInfo(unit);
  ReadAdvancedInfo(unit);
  return LinkVanished() ? ConnectOutcome::LinkVanished : ConnectOutcome::Connected;
}

// A search that found a unit and then lost the link ends there: the next search would
// find the same adapter gone.
bool Ends(ConnectOutcome outcome) { return outcome == ConnectOutcome::Connected || outcome == ConnectOutcome::LinkVanished; }

ConnectOutcome SearchWith(UnitInfo& unit, bool (*search)(UnitInfo& unit)) {
  // A unit found but not connected leaves its port open; the next search opens its own.
  if (IsPortOpen()) ClosePort();
  if (!search(unit)) return ConnectOutcome::NoUnit;
  return ConnectFoundUnit(unit);
}

}  // namespace

ConnectOutcome ConnectOnPort(UnitInfo& unit) {
  ReportLockFolder();
  ForgetPermissionRefusal();
  if (!OpenPort()) {
    ReportOpenFailure();
    ShowPermissionRefusal();
    return ConnectOutcome::PortNotOpened;
  }
  PutLine(ReportStream, PortName(PortNumber), " opened");
  return FindUnitOnPort(unit) ? ConnectFoundUnit(unit) : ConnectOutcome::NoUnit;
}

ConnectOutcome SearchAndConnect(UnitInfo& unit) {
  ReportLockFolder();
  ForgetPermissionRefusal();
  ConnectOutcome outcome = ConnectOutcome::NoUnit;
  if (PortNumber == PathPortNumber) outcome = SearchWith(unit, SearchPathPort);
  if (!Ends(outcome)) outcome = SearchWith(unit, SearchEnvironmentPorts);
  if (!Ends(outcome)) outcome = SearchWith(unit, SearchAllPorts);
  return outcome;
}

String ConnectFailureText() {
  String refusal = PermissionRefusalText();
  return refusal.Empty() ? String("Cannot find a Velantor unit") : refusal;
}

void ReportNoUnitFound() {
  PutLine(ReportStream, "-- cannot find a Velantor unit");
  ShowPermissionRefusal();
}
