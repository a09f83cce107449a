// The main program's one call into the tool: the main window from its first search to
// the moment the program is to end.
#pragma once

// Builds the window and chooses the port and speed, without a search.
void CreateMainWindow();
// CreateMainWindow, then one search for the unit; returns with the window open.
void OpenMainWindow();
// Dispatches the window's messages until ExitRequested.
void RunMainWindowLoop();
void CloseMainWindow();

// The three in a row: returns when ExitRequested is set.
void RunMainWindow();
