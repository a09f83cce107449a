// The one link port of the program: opened at the connection speed under a lock
// file that tells cooperating tools on the PC that the port is in use, retried while
// another program still holds it, and closed however the program ends.
#pragma once

#include <string_view>

#include "link/comm_port.h"
#include "runtime/string.h"

extern OverlappedPort LinkPort;
// The lock file this program made; empty when none.
extern String LockFileName;

// Opens LinkPort on PortNumber at BaudRate with EvenParity.
bool OpenPort();
// Closes LinkPort (queued writes are waited for first) and deletes the lock file.
void ClosePort();
// Closes and reopens LinkPort at BaudRate; after 20 failed attempts the program ends.
bool ChangeBaudRate();
bool IsPortOpen();
// The open link's device failed (unplugged, hung up): no unit can be reached through
// it until the port is opened anew.
bool LinkVanished();
// A port that OpenPort could not open for want of permission: while the user may not
// use serial ports no unit can be found on any, which the operator must be told.
struct PermissionRefusal {
  int port = 0;  // 0: none
  int systemErrorNumber = 0;  // EACCES or EPERM
};
// The first refusal since ForgetPermissionRefusal(), so that a search over many ports
// still has it at its end.
PermissionRefusal FirstPermissionRefusal();
void ForgetPermissionRefusal();
// What follows "COM<n>" in the report of a port that did not open, line end included;
// empty for an error without words of its own, which the caller reports its way.
std::string_view PortOpenFailureText(PortError error);
