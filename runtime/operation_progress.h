// Where a long operation stands, for the operator: which of its steps (a unit of the
// system) it is on, what it is doing there, how far that has got, and how long the
// whole may still take. The operation reports; the front end installs what shows it
// (the window's status line, lines on a terminal). Without one nothing is shown.
#pragma once

#include <cstdint>

#include "runtime/string.h"

struct ProgressState {
  bool active;
  int step;  // 1 to steps; 0 before the first
  int steps;
  String subject;   // "Velantor Unit 12 (KD6)"
  String activity;  // "software update file"
  uint32_t done;    // of the activity's total, in its own units (bytes, logs)
  uint32_t total;   // 0: the activity has no count
  uint32_t startedMs;
  uint32_t nowMs;
};

// `newActivity`: the step or the activity changed, not only the count.
using ProgressShow = void (*)(const ProgressState& state, bool newActivity);
void InstallProgressShow(ProgressShow show);

void BeginOperationProgress(int steps);
void ProgressStep(int step, const String& subject);
void ProgressActivity(const String& activity);
// How far the activity has got; shown when its percentage changes.
void ProgressCount(uint32_t done, uint32_t total);
void EndOperationProgress();

// "Unit 2 of 4, Velantor Unit 12 (KD6): software update file 45%, all 30%, about 3 min
// left"; empty when no operation reports.
String ProgressText(const ProgressState& state);
const ProgressState& CurrentProgress();
