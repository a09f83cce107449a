// A form shown modally over its owner: the form is created with the owner as parent,
// the owner is disabled, the loop runs until the form's done flag (set by its OnClose
// handler, its Cancel or its OK button; no handler of a form destroys its own window)
// or ExitRequested; then the caller reads the form's results, gives the owner back its
// input and focus, and destroys the form.
#pragma once

#include "ui/toolkit/controls/pel_window.h"

// Disables the owner and pumps until `done` is set or the program is to end.
void RunModalLoop(PelWindow& owner, const bool& done);
// Enables the owner and gives it the focus (before the form is destroyed).
void ReleaseModalOwner(PelWindow& owner);
