// Where a long operation stands, for the operator: which of its steps (a unit of the
// system) it is on, what it is doing there, how far that has got, and how long the
// whole may still take. The operation reports; the front end installs what shows it
// (the window's status line, lines on a terminal). Without one nothing is shown.
#pragma once

#include <cstdint>

#include "runtime/string.h"

// What an activity's count counts.
enum class ProgressUnit {
  Percent,  // milestones of 0 to 100 (ProgressMilestone)
  Bytes,
  Items,    // logs, files
};

struct ProgressState {
  bool active;
  int step;  // 1 to steps; 0 before the first
  int steps;
  String subject;   // "Velantor Unit 12 (KD6)"
  String activity;  // "software update file"
  ProgressUnit unit;
  uint32_t done;    // of the activity's total, in its unit
  uint32_t total;   // 0: the activity has no count
  uint32_t startedMs;
  uint32_t activityStartedMs;
  uint32_t nowMs;
};

// `newActivity`: the step or the activity changed, not only the count.
using ProgressShow = void (*)(const ProgressState& state, bool newActivity);
void InstallProgressShow(ProgressShow show);

void BeginOperationProgress(int steps);
void ProgressStep(int step, const String& subject);
void ProgressActivity(const String& activity, ProgressUnit unit = ProgressUnit::Bytes);
// How far the activity has got; shown when its percentage changes.
void ProgressCount(uint32_t done, uint32_t total);
// How far an activity counted in percent has got. Only its milestones move it, not the
// counts of the work done inside it (a file sent on the way).
void ProgressMilestone(uint32_t percent);
void EndOperationProgress();

// "Unit 2 of 4, Velantor Unit 12 (KD6): software update file 45% (120.6 of 268.0 kB,
// 10.4 kB/s), all 30%, about 3 min left"; an operation of one step names only its
// subject: "Velantor Unit 5 (KD6): Saving setup 90%". Empty when no operation reports.
String ProgressText(const ProgressState& state);
const ProgressState& CurrentProgress();
