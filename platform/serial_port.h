// The program's COM ports, whichever system it runs on: a tty on Linux
// (platform/tty_device.cpp), the Win32 communications device on Windows
// (platform/com_device_win32.cpp). The build compiles one of the two; the program
// installs this opener on both.
#pragma once

#include <memory>

#include "link/serial_device.h"

// Port n at DevicePathForPort(n), held by this program alone. nullptr and
// LastPortError() when it cannot be opened.
std::unique_ptr<SerialDevice> OpenComPort(int port);
