// Template keys and block kinds are matched in any letter case, as the tool always
// has: only the letters a to z change, as in UpperCase, but without building a
// String for every placeholder.
#pragma once

#include <string_view>

inline bool MatchesUpperCase(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
    if (c != upper[i]) return false;
  }
  return true;
}
