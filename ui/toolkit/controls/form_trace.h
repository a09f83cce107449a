// Every form writes its operations' names to standard error as they run (create,
// initialise, finalise, destroy): a line break, then the name.
#pragma once

void FormTrace(const char* name);
