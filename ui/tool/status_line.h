// The status line at the foot of the main window mirrors standard output: the line
// being written, or the last complete one; a blank line empties it.
#pragma once

struct ToolForm;

// StdoutHook: every character of standard output, each line end as CR then LF. It
// runs under the console lock, on whichever thread writes.
void CollectStatusCharacter(char c);
// The timer's half: the latest text into the status line, if it changed.
void ShowPendingStatus(ToolForm& form);
