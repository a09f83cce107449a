// The maintenance procedures of a unit running its software, and of the system as
// the local unit sees it.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"

// A reply counts its items in one byte: the lists hold every item a unit can report,
// so that no unit and no log is ever left out in silence.
inline constexpr int MaxRemoteUnits = 255;
inline constexpr int MaxDebugLogIds = 255;

struct RemoteUnitList {
  int count;
  uint8_t addresses[MaxRemoteUnits];
};

// The local unit restarts into its boot loader.
bool GotoBootLoader();
// The units the local unit reports on the system network.
bool ListRemoteUnits(RemoteUnitList& list);
// Restarts the whole system; only a unit running its software can.
bool ResetSystem(const UnitInfo& unit);
// The unit's Modbus address becomes LocalUnitAddress.
bool GetModbusAddress(const UnitInfo& unit);
// Whether the unit is attached through a virtual COM port (software after 6.05).
bool IsVComPort(const UnitInfo& unit);
// Restarts the unit, or its boot loader or programmer, by its software mode.
bool ResetUnit(UnitInfo& unit);
// Waits up to 10 s for a restarted unit to report itself ready.
bool WaitForUnit(const UnitInfo& unit);

struct DebugLogIds {
  int count;
  uint16_t ids[MaxDebugLogIds];
};
bool GetDebugLogs(const UnitInfo& unit, DebugLogIds& logs);
