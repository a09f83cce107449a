// Files that belong together, put in place as one: afterwards either every file of
// the set holds its new text, or every one is as it was before. No file of the set
// is ever seen half-written: each is written beside its place first and renamed
// into it. A crash of the whole machine in the middle aside.
#pragma once

#include <string>
#include <vector>

#include "runtime/string.h"

struct PlannedFile {
  String name;
  std::string text;
};

struct FileSetResult {
  enum Outcome { Written, CannotCreate, Failed } outcome;
  String name;  // the file that failed
  int error;    // CannotCreate: the system's error number
};

// The files are documents for others: they get the permissions the umask leaves
// (FileCreateDocument). CannotCreate when a file cannot even be begun (nothing was
// changed, nothing reported: the caller decides); Failed after "GenerateFieldbusFiles
// cannot write <name>: <reason>" on the report stream, with every target as before.
FileSetResult WriteFileSet(const std::vector<PlannedFile>& files);
