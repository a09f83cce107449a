// Descriptors 1 and 2 of the process become pipes whose reader threads feed the console
// (PipeCharFilter), so that text written to them directly, past the run-time's streams,
// shows in the console too.
#pragma once

// False (after a message box) when a pipe or its reader cannot be made. The console
// must take its characters already (InstallConsoleSink), or the default sink, which
// writes to descriptor 1, would feed its own pipe.
bool StartConsolePipes();

// Waits until both readers have ended, which they do when every write end of their
// pipes is closed.
void WaitForConsolePipes();
