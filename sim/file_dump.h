// The files of the simulated units written out, so that a test or an engineer can
// compare what arrived with what was sent, byte for byte: one file per unit file,
// "unit<address>-drive<drive>-file<file as 4 hex digits>.bin", and beside it the
// properties in hex ("... .properties") when the file has any.
#pragma once

#include <string>

class Simulator;

// False with a message in `error` when the folder or a file cannot be written.
bool DumpUnitFiles(Simulator& simulator, const std::string& folder, std::string& error);
