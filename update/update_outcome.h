// What an Update All did to each unit of the system, as seen after the restart, and
// the verdict of the run: a success only when every unit was seen running the tool's
// software. The front ends decide on these values; the lines are for people.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"
#include "runtime/string.h"
#include "update/system_listing.h"

enum class UnitUpdateResult {
  Updated,         // runs the tool's software now, and did not before
  AlreadyCurrent,  // ran it before and still does
  NotTaken,        // was given the update, but still runs other software after the restart
  NotUpdated,      // the run left it alone: it cannot take the update (the log says why)
  NotAnswering,    // did not answer after the restart
};

struct UnitUpdateOutcome {
  uint8_t address;  // as the system list shows it
  bool local;       // the unit on the PC's port
  int16_t cardnumber;
  int16_t versionBefore;
  int8_t buildBefore;
  int16_t versionAfter;
  int8_t buildAfter;
  bool currentBefore;
  bool leftAlone;
  UnitUpdateResult result;
};

struct SystemUpdateOutcome {
  int count;
  UnitUpdateOutcome units[MaxListedUnits];
  // Every unit answered after the restart and was compared with the tool's software.
  bool verified;
};

// Whether the unit runs the tool's software: its version, release, and the checksum
// and CRC of the catalogue's software for its type and MCU.
bool RunsToolSoftware(const UnitInfo& unit);

// The unit's entry; nullptr when it is not part of the run.
UnitUpdateOutcome* FindOutcome(SystemUpdateOutcome& outcome, uint8_t address);

bool EveryUnitUpdated(const SystemUpdateOutcome& outcome);
// "Success: all operations are complete", "Complete: some units could not be updated"
// or "Not verified: some units did not answer after the restart".
String UpdateVerdict(const SystemUpdateOutcome& outcome);
// "Velantor Unit 2 (KT7): updated, 6.08r12 -> 6.10r57".
String UnitOutcomeLine(const UnitUpdateOutcome& unit);
