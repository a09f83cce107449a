// The job file: an INI file named on the command line into which the program writes
// the outcome of its run under the key Message, for a production line to read. The
// write replaces the file whole (a new file renamed into its place), so a name that
// leads to anything but an INI file, a device above all, must be refused before the
// run starts: otherwise the outcome would take the place of the device, the folder or
// another program's data.
#pragma once

#include <string>

// True for a name that is empty, missing (the run makes it) or an INI file: lines that
// are blank, comments (';' or '#'), "[section]" or "key=value". Otherwise false with a
// one-line refusal naming the file; the file is only read, never changed.
bool CheckJobFile(const std::string& name, std::string& refusal);
