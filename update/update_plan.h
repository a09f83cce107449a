// Before Update All changes any unit: which units it will work on, what each runs
// now, and every image and resource file their updates will write, read and checked.
// A file that is missing, unreadable or malformed ends the program here, naming it
// and the folders searched, while every unit still runs what it ran.
#pragma once

#include "protocol/unit_info.h"
#include "update/update_outcome.h"

// Adds the local unit and, when its software lists them, the remote units (KJ5 test
// jigs and units that do not answer left out) that are not yet in `outcome`, with what
// they run now; then checks the files of each unit added. Called again once an old
// unit on the port can list its system, it adds the units behind it.
void PlanSystemUpdate(const UnitInfo& local, SystemUpdateOutcome& outcome);

// Reads and checks every file the update of this unit may write.
void RequireUpdateFiles(const UnitInfo& unit);
