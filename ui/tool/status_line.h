// The status line at the foot of the main window mirrors standard output: the line
// being written, or the last complete one; a blank line empties it. While a long
// operation reports where it stands, the status line shows that instead.
#pragma once

struct ToolForm;
struct ProgressState;

// StdoutHook: every character of standard output, each line end as CR then LF. It
// runs under the console lock, on whichever thread writes.
void CollectStatusCharacter(char c);
// Installed as the progress display (runtime/operation_progress.h).
void ShowProgressInStatusLine(const ProgressState& state, bool newActivity);
// The timer's half: the latest text into the status line, if it changed.
void ShowPendingStatus(ToolForm& form);
