// Updating every unit of a weighing system. A system whose local unit runs software
// 6.00 or later gets update files through its network, unit by unit, and is then
// restarted as a whole, which applies them; otherwise the local unit alone is
// programmed directly. A KD5 whose old software or boot loader cannot relay update
// files is first reprogrammed directly.
#pragma once

#include "protocol/unit_info.h"
#include "update/update_outcome.h"

// Resets a unit that runs its flash programmer after a direct update and finds it
// again; failures end the program.
void RestartAfterUpdate(UnitInfo& unit);

// One unit of the network pass, through update files. False when it did not answer
// or cannot take update files (the lines say why), or kept a later build.
bool UpdateRemoteUnit(UnitInfo& unit);

// Checks every file the run needs before it changes any unit, updates the units,
// restarts them, waits for them and reports what each runs now; `local` is connected
// again afterwards when it answered. A failure or a stop ends the program.
SystemUpdateOutcome FieldUpdateUnit(UnitInfo& local);
