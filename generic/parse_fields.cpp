#include "generic/parse_fields.h"

#include <string>
#include <string_view>

bool ReadCsvField(const String& line, int16_t& position, int16_t& column, String& field) {
  field.Clear();
  std::string_view text = line.View();
  int length = static_cast<int>(text.size());
  // A position the caller corrupted reads as a used-up line rather than outside it.
  if (position < 0 || position > length) return false;
  if (position > 0) ++column;
  if (position == length) {
    ++position;
    return true;
  }
  bool inDoubleQuotes = false;
  bool inSingleQuotes = false;
  std::string collected;
  int at = position;
  for (; at < length; ++at) {
    char c = text[at];
    if (c == ',' && !inDoubleQuotes && !inSingleQuotes) {
      position = static_cast<int16_t>(at + 1);
      field = String::Copy(collected);
      return true;
    }
    if (c == '\'' || c == '"') {
      bool& inOwn = c == '"' ? inDoubleQuotes : inSingleQuotes;
      bool inOther = c == '"' ? inSingleQuotes : inDoubleQuotes;
      if (inOther) {
        collected += c;
      } else if (inOwn) {
        if (at + 1 < length && text[at + 1] == c) {
          collected += c;
          ++at;
        } else {
          inOwn = false;
        }
      } else if (at == 0 || text[at - 1] == ',') {
        // Only the first character of a field opens quotes.
        inOwn = true;
      } else {
        collected += c;
      }
      continue;
    }
    collected += c;
  }
  position = static_cast<int16_t>(at + 1);
  field = String::Copy(collected);
  return true;
}
