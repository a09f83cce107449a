// The user's own folders (the XDG base folders) and the choice between them and the
// folder beside the program. Run from its build folder the program keeps its log
// beside itself; installed, its folder is read-only data and what it writes goes to
// the user's folders.
#pragma once

#include "runtime/string.h"

// $<variable> when it is an absolute path, else $HOME/<belowHome>; empty without a home.
String XdgFolder(const char* variable, const char* belowHome);

// Where the operator keeps documents: the XDG documents folder of
// $XDG_CONFIG_HOME/user-dirs.dirs when it exists, else $HOME/Documents when it exists,
// else $HOME; the working folder without a home.
String DocumentsFolder();

// Installed programs have their data in <prefix>/share/quarnet beside <prefix>/bin.
bool ProgramIsInstalled(const String& programFile);

// "<the program's folder>/<name>" for a program run where it was built, when that
// folder can be written; otherwise "<XdgFolder(variable, belowHome)>/quarnet/<name>".
String WritableFolderFor(const String& programFile, const char* name, const char* variable, const char* belowHome);

// Makes the folder and any missing folders above it; true when it exists afterwards.
bool MakeFolderPath(const String& folder);
