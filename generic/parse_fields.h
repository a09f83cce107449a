// Comma-separated fields, one at a time: the fieldbus data table and the lists held
// in its cells are split by this one routine. A field may be quoted with double or
// single quotes; a doubled quote inside stands for one, and the other quote
// character is ordinary text there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/string.h"

// Reads the field at position into field, with its quoting removed, and moves
// position past the comma that ends it. Start with position and column 0; column
// then numbers the field just read (0 for the first). False once the line is used
// up. A line ending with a comma, like an empty line, yields a last, empty field.
bool ReadCsvField(const String& line, int16_t& position, int16_t& column, String& field);

// The same walk over a text of any length, for lines longer than a String holds.
// A quote that is still open when the line ends runs to the end of the line, as
// above; quoteLeftOpen tells the caller so, for the field just read.
struct CsvCursor {
  size_t position = 0;
  int32_t column = 0;
  bool quoteLeftOpen = false;
};
bool ReadCsvField(std::string_view line, CsvCursor& cursor, std::string& field);
