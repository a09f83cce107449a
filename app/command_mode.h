// The main window's operations run from a shell: the window is built on the headless
// window system and never shown, the unit is found and connected as the window finds
// it, the operation's own handler runs, and the outcome becomes the exit code and,
// when a job file was named, its Message.
#pragma once

#include "app/command_request.h"

// Results (the system list) go to `descriptor`; everything else to the console.
void SetCommandResults(int descriptor);

// Sets ExitCode: 0 when the operation completed, 1 when it failed, 2 when it failed
// and a job file was named.
void RunCommand(const CommandRequest& request);
