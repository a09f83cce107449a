// A stop the operator asks for while an operation runs (a close box answered Yes,
// SIGINT, SIGTERM, the session ending) sets ExitRequested; every long loop sees it and
// the operation ends as a failure. The operation says beforehand what a stop at its
// current step would leave half done, so that the closing message can tell the
// operator what to do next instead of the step that happened to fail.
#pragma once

#include <cstdint>

#include "runtime/string.h"

// What to do after a stop now ("Velantor Unit 12 was being sent its update files:
// ..."); empty once nothing is left half done.
void SetStopAdvice(const String& advice);
void ClearStopAdvice();

// "Stopped by the operator", and the advice when there is one.
String StopMessage();

// The longest a wait goes without looking at ExitRequested: a stop from the console's
// thread or a signal handler ends a long block's write or a reply's wait soon.
inline constexpr uint32_t StopPollMs = 50;

// A pause that a stop cuts short within StopPollMs, even one from the
// console's thread, which no signal wakes. False when it was stopped.
bool PauseUnlessStopped(uint32_t milliseconds);
