#include "generic/parse_fields.h"

bool ReadCsvField(std::string_view text, CsvCursor& cursor, std::string& field) {
  field.clear();
  cursor.quoteLeftOpen = false;
  size_t length = text.size();
  if (cursor.position > length) return false;
  if (cursor.position > 0) ++cursor.column;
  if (cursor.position == length) {
    ++cursor.position;
    return true;
  }
  bool inDoubleQuotes = false;
  bool inSingleQuotes = false;
  size_t at = cursor.position;
  for (; at < length; ++at) {
    char c = text[at];
    if (c == ',' && !inDoubleQuotes && !inSingleQuotes) {
      cursor.position = at + 1;
      return true;
    }
    if (c == '\'' || c == '"') {
      bool& inOwn = c == '"' ? inDoubleQuotes : inSingleQuotes;
      bool inOther = c == '"' ? inSingleQuotes : inDoubleQuotes;
      if (inOther) {
        field += c;
      } else if (inOwn) {
        if (at + 1 < length && text[at + 1] == c) {
          field += c;
          ++at;
        } else {
          inOwn = false;
        }
      } else if (at == 0 || text[at - 1] == ',') {
        // Only the first character of a field opens quotes.
        inOwn = true;
      } else {
        field += c;
      }
      continue;
    }
    field += c;
  }
  cursor.position = at + 1;
  cursor.quoteLeftOpen = inDoubleQuotes || inSingleQuotes;
  return true;
}

bool ReadCsvField(const String& line, int16_t& position, int16_t& column, String& field) {
  field.Clear();
  std::string_view text = line.View();
  // A position the caller corrupted reads as a used-up line rather than outside it.
  if (position < 0 || position > static_cast<int>(text.size())) return false;
  // A String is never longer than an int16_t can count past, so the positions fit.
  CsvCursor cursor{static_cast<size_t>(position), column, false};
  std::string collected;
  bool read = ReadCsvField(text, cursor, collected);
  position = static_cast<int16_t>(cursor.position);
  column = static_cast<int16_t>(cursor.column);
  if (read) field = String::Copy(collected);
  return read;
}
