// A parser of the EtherNet/IP EDS (CIP) format, for the tests: [sections]; entries
// "Keyword = field, field, ...;" over any number of lines; strings in double quotes
// with C escapes, adjacent strings joined; "$" comments to the end of the line. A
// generated file is checked by reading it as a PLC tool would.
#pragma once

#include <map>
#include <string>
#include <vector>

struct EdsEntry {
  std::vector<std::string> fields;  // strings unescaped, other fields trimmed
  std::vector<bool> quoted;
};
using EdsSection = std::map<std::string, EdsEntry>;
struct EdsFile {
  std::map<std::string, EdsSection> sections;
};

// False with "line N: ..." in error where the text breaks the format, strings and
// tokens outside plain ASCII included.
bool ParseEds(const std::string& text, EdsFile& file, std::string& error);
// What PLC tools hold the parameters, assemblies and connections to: 21 fields per
// parameter, its data size and decimal places within a USINT, its limits within
// its type; Enum and Fixed bits within the parameter's type; assembly sizes within
// a UINT and filled by existing members; connection sizes within a UINT.
bool CheckEdsParameters(const EdsFile& file, std::string& error);
