// Establishing and re-establishing the connection to a unit: identify what discovery
// found, catch a unit's boot loader after a power cycle, find a restarted unit again
// (also behind the local unit), and bring a unit into its boot loader for an update.
#pragma once

#include "protocol/unit_info.h"

// The unit at the port runs software 6.04 or later and relays files to remote units.
extern bool RelayCapable;

bool Connect(UnitInfo& unit);
bool ConnectBootLoader(UnitInfo& unit);
bool Reconnect(UnitInfo& unit);
bool InitialiseForUpdate(UnitInfo& unit);
