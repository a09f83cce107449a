// A parser of the CANopen EDS format (CiA 306), for the tests: an INI file with
// unique sections and keys, compared in any letter case, and a check of its object
// dictionary.
#pragma once

#include <map>
#include <string>

using IniSection = std::map<std::string, std::string>;  // keys upper-cased
struct CanopenFile {
  std::map<std::string, IniSection> sections;  // names upper-cased
};

bool ParseCanopenEds(const std::string& text, CanopenFile& file, std::string& error);
// The object lists must count and name existing object sections, every object
// section must be listed once, and each object must carry the entries its object
// type needs.
bool CheckCanopenObjects(const CanopenFile& file, std::string& error);
