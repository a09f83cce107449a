// quarnet --ports: the serial ports the search walks, one a line, or as JSON.
#pragma once

#include <string>

// "COM33\t/dev/ttyUSB0\t/dev/serial/by-id/usb-FTDI_...\tftdi_sio\tfree\tlatency 16 ms",
// a field "-" where there is nothing to say.
std::string PortListText(bool json);
