// The main program's one call into the tool: the main window from its first search to
// the moment the program is to end.
#pragma once

// Builds the window, chooses the port and speed, searches for the unit once and
// returns with the window open.
void OpenMainWindow();
// Dispatches the window's messages until ExitRequested.
void RunMainWindowLoop();
void CloseMainWindow();

// The three in a row: returns when ExitRequested is set.
void RunMainWindow();
