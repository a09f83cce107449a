#include "fieldbus/canopen_parser_test_support.h"

#include <cstdio>
#include <set>

#include "fieldbus/text_parsing_test_support.h"

namespace {

const std::set<std::string> ObjectLists = {"MANDATORYOBJECTS", "OPTIONALOBJECTS", "MANUFACTUREROBJECTS"};

bool IsIndexSection(const std::string& name) {
  return name.size() == 4 && name.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

std::string IndexName(long long index) {
  char name[8];
  std::snprintf(name, sizeof name, "%04llX", static_cast<unsigned long long>(index));
  return name;
}

bool CheckVariable(const IniSection& section, const std::string& name, std::string& error) {
  static const std::set<std::string> access = {"RO", "WO", "RW", "RWR", "RWW", "CONST"};
  for (const char* key : {"PARAMETERNAME", "DATATYPE", "ACCESSTYPE"}) {
    if (!section.count(key)) return error = "[" + name + "] lacks " + key, false;
  }
  if (section.at("PARAMETERNAME").empty()) return error = "[" + name + "] has an empty ParameterName", false;
  if (!access.count(Upper(section.at("ACCESSTYPE")))) return error = "[" + name + "] has a bad AccessType", false;
  long long value = 0;
  if (!Number(section.at("DATATYPE"), value)) return error = "[" + name + "] has a bad DataType", false;
  if (section.count("PDOMAPPING") && (!Number(section.at("PDOMAPPING"), value) || value < 0 || value > 1)) {
    return error = "[" + name + "] has a bad PDOMapping", false;
  }
  return true;
}

bool CheckObject(const CanopenFile& file, const std::string& name, std::string& error) {
  const IniSection& section = file.sections.at(name);
  long long type;
  if (!section.count("OBJECTTYPE") || !Number(section.at("OBJECTTYPE"), type)) {
    return error = "[" + name + "] lacks ObjectType", false;
  }
  if (type == 0x7) return CheckVariable(section, name, error);
  long long subNumber;
  if (!section.count("SUBNUMBER") || !Number(section.at("SUBNUMBER"), subNumber)) {
    return error = "[" + name + "] lacks SubNumber", false;
  }
  long long found = 0;
  for (const auto& [other, entries] : file.sections) {
    if (other.rfind(name + "SUB", 0) != 0) continue;
    ++found;
    if (!CheckVariable(entries, other, error)) return false;
  }
  if (found != subNumber) return error = "[" + name + "] SubNumber does not match its sub-index sections", false;
  return true;
}

}  // namespace

bool ParseCanopenEds(const std::string& text, CanopenFile& file, std::string& error) {
  std::vector<std::string> lines = Lines(text);
  IniSection* section = nullptr;
  for (size_t number = 0; number < lines.size(); ++number) {
    std::string where = "line " + std::to_string(number + 1) + ": ";
    for (char c : lines[number]) {
      auto byte = static_cast<unsigned char>(c);
      if (byte >= 0x7F || (byte < 0x20 && c != '\t')) return error = where + "not plain ASCII text", false;
    }
    std::string line = Trim(lines[number]);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return error = where + "section name not closed", false;
      std::string name = Upper(Trim(line.substr(1, line.size() - 2)));
      if (name.empty() || file.sections.count(name)) return error = where + "empty or repeated section", false;
      section = &file.sections[name];
      continue;
    }
    size_t equals = line.find('=');
    if (section == nullptr || equals == std::string::npos) return error = where + "key=value expected", false;
    std::string key = Upper(Trim(line.substr(0, equals)));
    if (key.empty() || section->count(key)) return error = where + "empty or repeated key", false;
    // Its readers end a value at a ';', which starts a comment.
    (*section)[key] = Trim(line.substr(equals + 1, line.find(';', equals) - equals - 1));
  }
  return true;
}

bool CheckCanopenObjects(const CanopenFile& file, std::string& error) {
  for (const char* required : {"FILEINFO", "DEVICEINFO", "MANDATORYOBJECTS"}) {
    if (!file.sections.count(required)) return error = std::string("[") + required + "] missing", false;
  }
  std::set<std::string> listed;
  for (const std::string& list : ObjectLists) {
    if (!file.sections.count(list)) continue;
    const IniSection& entries = file.sections.at(list);
    long long count = 0;
    if (!entries.count("SUPPORTEDOBJECTS") || !Number(entries.at("SUPPORTEDOBJECTS"), count)) {
      return error = "[" + list + "] lacks SupportedObjects", false;
    }
    if (static_cast<long long>(entries.size()) != count + 1) {
      return error = "[" + list + "] lists another number of objects than SupportedObjects", false;
    }
    for (long long i = 1; i <= count; ++i) {
      long long index = 0;
      std::string key = std::to_string(i);
      if (!entries.count(key) || !Number(entries.at(key), index)) return error = "[" + list + "] lacks " + key, false;
      std::string name = IndexName(index);
      if (!file.sections.count(name)) return error = "[" + list + "] names a missing object " + name, false;
      if (list == "MANUFACTUREROBJECTS" && (index < 0x2000 || index > 0x5FFF)) {
        return error = "manufacturer object " + name + " outside 2000 to 5FFF", false;
      }
      if (!listed.insert(name).second) return error = "object " + name + " listed twice", false;
    }
  }
  for (const auto& [name, entries] : file.sections) {
    if (!IsIndexSection(name)) continue;
    if (!listed.count(name)) return error = "object " + name + " is in no object list", false;
    if (!CheckObject(file, name, error)) return false;
  }
  return true;
}

