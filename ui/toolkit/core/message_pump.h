// The message pumps every loop of the program runs: the main window's loop, the modal
// forms, the progress steps, the console's waits.
#pragma once

// Dispatches the calling thread's queued messages until none is left (or the program is
// to end); true if at least one was dispatched.
bool PumpMessages();

// At most one pump per millisecond and thread: returns at once when this thread pumped
// less than 1000 microseconds ago. While the console is paused (Ctrl+S) or the operator
// drags a selection in it, it keeps pumping and holds the caller until that ends, so a
// long operation waits for the operator as the console's writers do.
bool PumpMessagesThrottled();

// Whether PumpMessagesThrottled has ever dispatched a message: a program without a
// window loop of its own ends when its console is closed.
bool ThrottledPumpHasDispatched();
