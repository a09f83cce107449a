// The window toolkit's start-up, one of the program's module start-up routines: the
// window system is started and the toolkit's window class "PelWindow" registered.
#pragma once

void InitialiseWindowToolkit();
