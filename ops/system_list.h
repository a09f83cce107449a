// The units of the connected system as the operator sees them listed, each identified
// once: what the window's unit list shows and what the shell's --list prints.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"
#include "protocol/unit_procedures.h"

struct ListedUnit {
  uint8_t address;
  bool answers;      // its identification was read
  bool described;    // it also gave the description of software 6.00 and later
  UnitInfo identity; // card and software; serial number and text from 2.20; the rest when described
  bool hasSettings;  // commissioning settings the window can show
  bool fieldbusCapable;
};

struct SystemList {
  int count;
  ListedUnit units[MaxRemoteUnits + 1];
};

struct SystemAddresses {
  int count;
  uint8_t addresses[MaxRemoteUnits + 1];
};

// The one ordering rule: the connected unit, under its address on the system network,
// among the remote units its software (6.00 or later) reports, in address order.
SystemAddresses OrderSystem(const UnitInfo& connected, const RemoteUnitList& remote);
// The connected unit's address on the system network.
uint8_t OwnAddress(const UnitInfo& connected);
// The remote units the connected unit reports; none before software 6.00.
RemoteUnitList ReportedRemoteUnits(const UnitInfo& connected);
// Every unit of the system, the connected one as it was read when it connected and each
// other one with one identification: no settings are read.
void ListSystem(const UnitInfo& connected, SystemList& list);
// The same for the remote units given.
void ListUnits(const UnitInfo& connected, const RemoteUnitList& remote, SystemList& list);

// What a described unit offers the commissioning side of the window.
bool HasSettings(const UnitInfo& unit);
bool IsFieldbusCapable(const UnitInfo& unit);
