// Every form writes its operations' names to standard error as they run (create,
// initialise, finalise, destroy): a line break, then the name. A shell operation,
// whose standard error is the operator's terminal, keeps them to the log file unless
// debugging.
#pragma once

void FormTrace(const char* name);

// True: the names go to the log file only.
void KeepFormTraceInTheLog(bool logOnly);
