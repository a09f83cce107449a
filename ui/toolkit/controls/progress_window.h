// The progress window: a small "Please Wait..." window over the form that started a
// long operation, with a message and a bar that creeps toward the operation's next
// milestone. Every step pumps the window messages, which keeps the user interface
// alive during the operation; the owner form is disabled meanwhile, so no second
// operation can start from it. One progress window at a time.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/toolkit/controls/std_controls.h"

struct ProgressForm {
  PelWindow window;
  StdProgressControl bar;
  StdStaticControl message;
};

extern ProgressForm TheProgressForm;
// Where the bar stands, 0 to 100.
extern int8_t ProgressShown;
// The milestone the bar creeps toward; ticks never carry it past.
extern int8_t ProgressTarget;
// The operator pressed the close box: the window stays, but QuarnetProgress no longer
// pumps messages for the rest of the run.
extern bool ProgressClosed;

void OpenQuarnetProgress(PelWindow& owner, std::string_view message);
// A milestone: the bar moves at most one step past the previous milestone, toward this one.
void QuarnetProgress(int percent);
// One unit of work done: the bar moves one step toward the target, never beyond, and
// the messages are pumped. Installed as ProgressTickHook (runtime/window_hooks.h), so
// the layers below reach it as ProgressTick.
void StepProgressWindow();
void CloseQuarnetProgress();
