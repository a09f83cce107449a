// A parser of the CANopen EDS format (CiA 306), for the tests: an INI file in plain
// ASCII with unique sections and keys, compared in any letter case, whose values
// end at a ';' as its readers take them; and a check of its object dictionary.
#pragma once

#include <map>
#include <string>

using IniSection = std::map<std::string, std::string>;  // keys upper-cased
struct CanopenFile {
  std::map<std::string, IniSection> sections;  // names upper-cased
};

bool ParseCanopenEds(const std::string& text, CanopenFile& file, std::string& error);
// The object lists must count and name existing object sections, every object
// section must be listed once, the manufacturer's objects must lie in 0x2000 to
// 0x5FFF, and each object must carry the entries its object type needs, a name
// among them.
bool CheckCanopenObjects(const CanopenFile& file, std::string& error);
