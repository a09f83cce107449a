// Connecting the main window to the unit at the PC: Connect on the chosen port,
// Search over the ports named by the environment and then over all, and the two
// states the window is in.
#pragma once

struct ToolForm;

// The Connect button: connects on the chosen port, or disconnects when connected.
void OnConnectClick(void* form);
void OnSearchClick(void* form);
void Search(ToolForm& form);

// The port is closed, the list empty and the system-wide buttons disabled.
void EnterDisconnectedState(ToolForm& form);
// The list shows the system and its first unit is selected.
void EnterConnectedState(ToolForm& form);
