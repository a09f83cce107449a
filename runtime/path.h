// Path names as text. '\' and '/' both end a segment, so names written for Windows
// and Linux names both work; on Windows ':' ends a drive's name as well, on Linux it
// is part of a file name. FullPath writes every separator as '/'.
#pragma once

#include "runtime/string.h"

// Windows ends a drive's name with ':' ("C:"); on Linux ':' is an ordinary character
// of a file name ("10:30 setup.csv"). path_linux.cpp and path_win32.cpp say which.
extern const bool ColonEndsDrive;

bool IsPathSeparator(char c);
// Index of the last separator, or -1.
int LastSeparator(const String& path);
// The text before the last separator; empty when there is none.
String DirectoryPart(const String& path);
// The text after the last separator; the whole path when there is none or it is the first character.
String FileNamePart(const String& path);
// The text after the last '.' that follows the last separator; empty when there is none.
String Extension(const String& path);
String StripExtension(const String& path);
String ChangeExtension(const String& path, const String& extension);
// path followed by '/', unless it already ends with a separator. Names read from
// elsewhere may still use '\', which every file operation accepts.
String AddSeparator(const String& path);
// The working folder; empty on failure.
String CurrentDirectory();
// Absolute and normalised: "." dropped, ".." removes the previous segment, separators '/'.
String FullPath(const String& path);
