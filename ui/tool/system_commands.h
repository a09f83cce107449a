// The main window's system-wide commands: Update All and Save System Logs (ops/), run
// to their end on the window's thread with the window disabled and the log shown.
#pragma once

void OnUpdateAllClick(void* form);
void OnSaveSystemLogsClick(void* form);
