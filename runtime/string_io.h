// Reading text files line by line. Our own writers end lines with "\r\n"; files from
// elsewhere may end them with a lone '\r' or '\n'.
#pragma once

#include "runtime/buffered_file.h"
#include "runtime/string.h"

inline constexpr int MaxLineLength = 32000;

// The next line without its line end: "\r\n", a lone '\r' or a lone '\n', as
// Windows, old Mac and Linux tools write them. A longer line comes back in pieces of
// MaxLineLength characters. The last line needs no line end. False only at the end of
// the file with nothing read.
bool ReadLine(BufferedFile* file, String& line);
