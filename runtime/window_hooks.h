// The window layers sit above the operations that run long (fieldbus generation,
// transfers, updates). Through these hooks such an operation steps the progress window
// and keeps the windows alive without knowing of them: the window toolkit installs them
// when it starts; without windows (the fieldbus program, most tests) they do nothing.
#pragma once

extern void (*ProgressTickHook)();
extern bool (*PumpMessagesHook)();

// One unit of work done: the progress window moves a step toward its milestone and the
// window messages are pumped.
void ProgressTick();

// One throttled pass over the calling thread's window messages, from inside a wait;
// true if a message was dispatched.
bool PumpWindowMessages();
