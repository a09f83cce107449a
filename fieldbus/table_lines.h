// The lines of a data table, each read whole, with its number in the file. Lines
// end with CR LF as the unit writes them; a lone CR or LF, as editors on other
// systems save a table, ends a line too.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/buffered_file.h"

// Far beyond any row a table can hold (eleven fields of at most 32766 bytes, each
// quoted), and short enough to hold in memory: a longer line is no row.
inline constexpr size_t MaxTableLineLength = size_t{1} << 20;

struct TableLineReader {
  BufferedFile* file;
  int64_t lineNumber = 0;  // of the line read last, from 1
  bool afterCarriageReturn = false;
};

enum class TableLine { Read, TooLong, End };

// The next line without its line end. TooLong after MaxTableLineLength bytes
// without a line end; the rest of that line is not read.
TableLine ReadTableLine(TableLineReader& reader, std::string& line);
