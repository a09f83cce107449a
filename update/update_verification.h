// After the restart that ends an Update All: the system is given time to come back,
// and every unit of the run is asked what it runs now, so that the closing report
// says what each unit really runs and a success is never assumed.
//
// The wait: the unit on the port is looked for as after any restart (up to 60 s);
// the units behind it, which restart at the same time, then have 30 s more together
// to answer.
#pragma once

#include "protocol/unit_info.h"
#include "update/update_outcome.h"

inline constexpr uint32_t RemoteUnitsRestartMs = 30'000;

// Sets the result of every unit of `outcome` and whether all were seen; writes a
// line per unit. `restarted`: the local unit was restarted and must be found again.
// A stop request ends the program.
void VerifySystemUpdate(UnitInfo& local, bool restarted, SystemUpdateOutcome& outcome);
