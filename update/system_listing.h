// The units of a system in address order, as the operator sees them listed: the local
// unit under its address on the system network, among the remote units the local unit
// reports. KJ5 test jigs are never listed.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"
#include "protocol/unit_procedures.h"

inline constexpr int MaxListedUnits = MaxRemoteUnits + 2;

struct ListedUnits {
  int count;
  uint8_t addresses[MaxListedUnits];
};

// Whether a unit that does not answer is left out of the list or ends the listing.
enum class SilentUnit { Skipped, EndsListing };

// Writes a shown line for every unit listed. With SilentUnit::Skipped the debug lines
// name the units left out. With SilentUnit::EndsListing a unit that does not answer
// ends the listing: false, with its address in `silent`.
bool ListSystemUnits(const UnitInfo& local, const RemoteUnitList& remote, SilentUnit mode, ListedUnits& listed,
                     uint8_t& silent);
