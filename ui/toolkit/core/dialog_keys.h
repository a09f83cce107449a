// The keys that move between the controls of a window, as in any dialog: Tab to the
// next control that takes the keyboard, Shift+Tab to the one before, in the order the
// controls were made (which is their order on the screen); and Escape, which closes a
// form (a window with an owner) as its close box does.
#pragma once

#include "ui/toolkit/core/window_system.h"

// True when the message was such a key and has been handled: it is not dispatched.
bool HandleDialogKey(const Message& message);
