// The configuration form behind the hidden "Menu" button: a tree of the unit's
// configuration, still empty; the operator can only close it.
#pragma once

#include "ui/toolkit/controls/pel_window.h"

void RunConfigurationForm(PelWindow& owner);
