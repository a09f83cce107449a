// Where COM port n lives on Linux. Operators and the unit documentation number ports
// COM1, COM2, ...; Linux names ttys by their driver. Port n is, first match wins:
//   1. $VELANTORDEVDIR/com<n> when VELANTORDEVDIR is set: a folder of links to ttys or
//      pseudo-terminals, which the tests and the demo use;
//   2. the link com<n> in the per-user folder quarnet/ports beside the settings file
//      ($XDG_CONFIG_HOME/quarnet/ports, default ~/.config/quarnet/ports), when it exists;
//   3. the built-in numbering: COM1..COM32 are /dev/ttyS0..ttyS31 (on-board UARTs),
//      COM33..COM64 /dev/ttyUSB0..ttyUSB31 (USB serial adapters), COM65..COM96
//      /dev/ttyACM0..ttyACM31 (USB modem-class devices).
// On Windows (port_names_win32.cpp) the system numbers the ports: port n is \\.\com<n>.
#pragma once

#include "runtime/string.h"

// Empty when the number has no device (0, negative, above COM96 without a link):
// opening it finds no port. For PathPortNumber, the device path the command line named.
String DevicePathForPort(int port);

// The COM port whose device `path` is, so that a device named by its path is named
// and locked as that COM port always was: a link com<n> of the port folders, or a
// device of the built-in numbering, that is `path` or leads to the same device
// (/dev/serial/by-id/... to /dev/ttyUSB0: COM33). On Windows: COM<n> or \\.\COM<n>, in
// any case. 0 when it is none of them.
int PortForDevicePath(const String& path);
