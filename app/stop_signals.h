// The operator's stop from outside the window: Ctrl+C at the terminal, a kill, the
// console window closed. Each calls `stop` (on whatever thread the system delivers
// it), which asks the program to end as the Stop button does.
#pragma once

void InstallStopSignals(void (*stop)());
