// Update All as both front ends run it: the operator confirms (and confirms again when
// a unit runs a later build than the tool's), every unit of the system is brought to
// the tool's software, and the result says what each unit runs afterwards.
#pragma once

#include "ops/operation_hooks.h"
#include "protocol/unit_info.h"
#include "update/update_outcome.h"

struct UpdateAllResult {
  bool contacted;  // false: declined at the first question, before any unit was asked anything
  bool ran;        // false: the operator declined a question, and no unit was changed
  SystemUpdateOutcome outcome;
};

// `local` is the connected unit; it is connected again afterwards when it answered.
// A failure or a stop ends the program (runtime/log.h).
UpdateAllResult UpdateAll(UnitInfo& local, const OperationHooks& hooks);

// Whether the run brought every unit to the tool's software, as seen afterwards.
bool UpdateAllSucceeded(const UpdateAllResult& result);
