// A parser of the PROFIBUS GSD format, for the tests: plain ASCII; "#Profibus_DP"
// first; "Keyword = value" lines; ";" comments; strings in double quotes that
// cannot hold one; Module ... EndModule blocks whose configuration bytes add up and
// whose first inner line is the module reference number, each used once.
#pragma once

#include <map>
#include <string>
#include <vector>

struct GsdModule {
  std::string name;
  std::vector<int> identifier;
  long long reference;
};
struct GsdFile {
  std::map<std::string, std::string> keywords;  // values as written, strings unquoted
  std::vector<GsdModule> modules;
};

// False with "line N: ..." in error where the text breaks the format.
bool ParseGsd(const std::string& text, GsdFile& file, std::string& error);
