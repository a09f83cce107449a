#include "fieldbus/canopen_parser_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "fieldbus/text_parsing_test.h"

namespace {

const std::set<std::string> ObjectLists = {"MANDATORYOBJECTS", "OPTIONALOBJECTS", "MANUFACTUREROBJECTS"};

bool IsIndexSection(const std::string& name) {
  return name.size() == 4 && name.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

std::string IndexName(long index) {
  char name[8];
  std::snprintf(name, sizeof name, "%04lX", index);
  return name;
}

bool CheckVariable(const IniSection& section, const std::string& name, std::string& error) {
  static const std::set<std::string> access = {"RO", "WO", "RW", "RWR", "RWW", "CONST"};
  for (const char* key : {"PARAMETERNAME", "DATATYPE", "ACCESSTYPE"}) {
    if (!section.count(key)) return error = "[" + name + "] lacks " + key, false;
  }
  if (!access.count(Upper(section.at("ACCESSTYPE")))) return error = "[" + name + "] has a bad AccessType", false;
  long value;
  if (!Number(section.at("DATATYPE"), value)) return error = "[" + name + "] has a bad DataType", false;
  if (section.count("PDOMAPPING") && (!Number(section.at("PDOMAPPING"), value) || value < 0 || value > 1)) {
    return error = "[" + name + "] has a bad PDOMapping", false;
  }
  return true;
}

bool CheckObject(const CanopenFile& file, const std::string& name, std::string& error) {
  const IniSection& section = file.sections.at(name);
  long type;
  if (!section.count("OBJECTTYPE") || !Number(section.at("OBJECTTYPE"), type)) {
    return error = "[" + name + "] lacks ObjectType", false;
  }
  if (type == 0x7) return CheckVariable(section, name, error);
  long subNumber;
  if (!section.count("SUBNUMBER") || !Number(section.at("SUBNUMBER"), subNumber)) {
    return error = "[" + name + "] lacks SubNumber", false;
  }
  long found = 0;
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
    (*section)[key] = line.substr(equals + 1);
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
    long count = 0;
    if (!entries.count("SUPPORTEDOBJECTS") || !Number(entries.at("SUPPORTEDOBJECTS"), count)) {
      return error = "[" + list + "] lacks SupportedObjects", false;
    }
    if (static_cast<long>(entries.size()) != count + 1) {
      return error = "[" + list + "] lists another number of objects than SupportedObjects", false;
    }
    for (long i = 1; i <= count; ++i) {
      long index = 0;
      std::string key = std::to_string(i);
      if (!entries.count(key) || !Number(entries.at(key), index)) return error = "[" + list + "] lacks " + key, false;
      std::string name = IndexName(index);
      if (!file.sections.count(name)) return error = "[" + list + "] names a missing object " + name, false;
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

namespace {

// The sample's syntax only: its own object lists miscount.
TEST(CanopenParserTest, ReadsThePublicSample) {
  std::string error;
  CanopenFile canopen;
  EXPECT_TRUE(ParseCanopenEds(SampleText("canopen_e35.eds"), canopen, error)) << error;
  EXPECT_EQ(canopen.sections["1018SUB1"]["PARAMETERNAME"], "Vendor-ID");
}

TEST(CanopenParserTest, FaultsAreFound) {
  const std::string head = "[FileInfo]\nFileName=x\n[DeviceInfo]\nVendorName=v\n[MandatoryObjects]\nSupportedObjects=1\n1=0x1000\n";
  const std::string object = "[1000]\nParameterName=a\nObjectType=0x7\nDataType=0x0007\nAccessType=ro\nPDOMapping=0\n";
  std::string error;
  CanopenFile file;
  ASSERT_TRUE(ParseCanopenEds(head + object, file, error)) << error;
  ASSERT_TRUE(CheckCanopenObjects(file, error)) << error;
  for (const std::string& broken : {
           head,
           head + object + "[2001]\nParameterName=b\nObjectType=0x7\nDataType=0x7\nAccessType=rw\n",
           head + "[1000]\nParameterName=a\nObjectType=0x7\nDataType=0x0007\nAccessType=readable\n",
           head + object + "[ManufacturerObjects]\nSupportedObjects=2\n1=0x1000\n",
           head + "[1000]\nParameterName=a\nObjectType=0x9\nSubNumber=2\n[1000sub0]\nParameterName=n\n"
                  "DataType=0x5\nAccessType=ro\n",
           head + object + "ParameterName=again\n",
           head + object + "no key\n",
       }) {
    CanopenFile parsed;
    EXPECT_FALSE(ParseCanopenEds(broken, parsed, error) && CheckCanopenObjects(parsed, error)) << broken;
  }
}

}  // namespace
