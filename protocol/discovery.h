// Finding what answers on a COM port, and on which port: the MCU's serial boot ROM,
// a unit's boot loader, or a unit running its software, at the speed it answers.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"

// Where the all-ports search remembers the port of the last unit it found.
inline constexpr char CommPortSetting[] = "SOFTWARE\\Corvane Instruments Ltd\\Velantor\\CommPort";

// Probes the open LinkPort. True when something answered; unit.unitmode says what.
bool FindUnitOnPort(UnitInfo& unit);
// Bytes from LinkPort without framing, within PacketTimeout; -1 on a port error.
int ReadRawBlock(uint8_t* buffer, int count);
// The ports named by VELANTORPORTLIST (or VELANTORPORT). On success the unit's port
// is open and named by PortNumber.
bool SearchEnvironmentPorts(UnitInfo& unit);
// The port the command line named by a device path that is no COM port's; the search
// of every port never reaches it otherwise.
bool SearchPathPort(UnitInfo& unit);
// The remembered port, then ports 1 to 99.
bool SearchAllPorts(UnitInfo& unit);
