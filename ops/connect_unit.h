// Finding a Velantor unit on the PC's serial ports and connecting to it: the port
// named, or the search the window's Search button and the shell run alike. The lines
// the operator follows go to the console as the search goes.
#pragma once

#include "protocol/unit_info.h"
#include "runtime/string.h"

enum class ConnectOutcome {
  Connected,     // `unit` is the connected unit, fully described; the port stays open
  PortNotOpened, // the port named could not be opened (why is on the console)
  NoUnit,        // no unit answered on any port tried
  NotConnected,  // a unit answered but the connection could not be made
  LinkVanished,  // the adapter went away or the far end hung up
};

// On PortNumber at BaudRate.
ConnectOutcome ConnectOnPort(UnitInfo& unit);
// The port named by a device path, the environment's ports, then every port; PortNumber
// is the port the unit was found on.
ConnectOutcome SearchAndConnect(UnitInfo& unit);
// The console line for NoUnit, and the box that tells a user who may not open serial
// ports at all what to do about it.
void ReportNoUnitFound();
// Why the last connect or search found no unit, for a closing message: the port that
// may not be opened and what to do about it, or "Cannot find a Velantor unit".
String ConnectFailureText();
