#include "fieldbus/eds_parser_test_support.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "fieldbus/text_parsing_test_support.h"

namespace {

struct EdsReader {
  const std::string& text;
  size_t at;

  bool End() const { return at >= text.size(); }
  char Peek() const { return End() ? '\0' : text[at]; }
  void SkipBlanks() {
    while (!End()) {
      char c = text[at];
      if (c == '$') {
        while (!End() && text[at] != '\n') ++at;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++at;
      } else {
        return;
      }
    }
  }
};

bool ReadEdsString(EdsReader& reader, std::string& value, std::string& error) {
  ++reader.at;  // the opening quote
  for (;;) {
    if (reader.End() || reader.Peek() == '\n' || reader.Peek() == '\r') {
      return FailAt(error, reader.text, reader.at, "string not closed");
    }
    char c = reader.text[reader.at++];
    if (c == '"') return true;
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
      return FailAt(error, reader.text, reader.at, "control character in a string");
    }
    if (static_cast<unsigned char>(c) >= 0x7F) return FailAt(error, reader.text, reader.at, "string not ASCII");
    if (c != '\\') {
      value += c;
      continue;
    }
    if (reader.End()) return FailAt(error, reader.text, reader.at, "string not closed");
    char escaped = reader.text[reader.at++];
    switch (escaped) {
      case '"':
      case '\\':
      case '\'':
      case '?': value += escaped; break;
      case 'n': value += '\n'; break;
      case 't': value += '\t'; break;
      case 'r': value += '\r'; break;
      default: return FailAt(error, reader.text, reader.at, std::string("unknown escape \\") + escaped);
    }
  }
}

// One field: adjacent strings joined, or a bare token; then ',' or ';'.
bool ReadEdsField(EdsReader& reader, EdsEntry& entry, char& separator, std::string& error) {
  reader.SkipBlanks();
  std::string value;
  bool quoted = false;
  while (reader.Peek() == '"') {
    quoted = true;
    if (!ReadEdsString(reader, value, error)) return false;
    reader.SkipBlanks();
  }
  if (!quoted) {
    while (!reader.End() && std::string_view(",;$\" \t\r\n").find(reader.Peek()) == std::string_view::npos) {
      if (static_cast<unsigned char>(reader.Peek()) >= 0x7F) return FailAt(error, reader.text, reader.at, "not ASCII");
      value += reader.text[reader.at++];
    }
    reader.SkipBlanks();
  }
  separator = reader.Peek();
  if (separator != ',' && separator != ';') {
    return FailAt(error, reader.text, reader.at, reader.End() ? "entry not closed by ';'" : "',' or ';' expected");
  }
  ++reader.at;
  entry.fields.push_back(value);
  entry.quoted.push_back(quoted);
  return true;
}

}  // namespace

bool ParseEds(const std::string& text, EdsFile& file, std::string& error) {
  EdsReader reader{text, 0};
  EdsSection* section = nullptr;
  for (;;) {
    reader.SkipBlanks();
    if (reader.End()) return true;
    size_t start = reader.at;
    if (reader.Peek() == '[') {
      size_t close = text.find(']', start);
      size_t lineEnd = text.find_first_of("\r\n", start);
      if (close == std::string::npos || close > lineEnd) return FailAt(error, text, start, "section name not closed");
      std::string name = Trim(text.substr(start + 1, close - start - 1));
      for (char c : name) {
        if (static_cast<unsigned char>(c) >= 0x7F) return FailAt(error, text, start, "section name not ASCII");
      }
      if (name.empty() || file.sections.count(name)) return FailAt(error, text, start, "empty or repeated section");
      section = &file.sections[name];
      reader.at = close + 1;
      continue;
    }
    if (section == nullptr) return FailAt(error, text, start, "entry outside a section");
    std::string keyword;
    while (!reader.End() && (std::isalnum(static_cast<unsigned char>(reader.Peek())) || reader.Peek() == '_')) {
      keyword += text[reader.at++];
    }
    if (keyword.empty()) return FailAt(error, text, start, "keyword expected");
    reader.SkipBlanks();
    if (reader.Peek() != '=') return FailAt(error, text, reader.at, "'=' expected after " + keyword);
    ++reader.at;
    if (section->count(keyword)) return FailAt(error, text, start, "repeated keyword " + keyword);
    EdsEntry& entry = (*section)[keyword];
    char separator = ',';
    while (separator == ',') {
      if (!ReadEdsField(reader, entry, separator, error)) return false;
    }
  }
}

namespace {

bool Fail(std::string& error, const std::string& message) {
  error = message;
  return false;
}

// The bits of the CIP types the parameters use; 0 for a type the check does not know.
int TypeBits(long long type) {
  switch (type) {
    case 0xC1: return 8;   // BOOL, one byte
    case 0xC4: return 32;  // DINT
    case 0xC8: return 32;  // UDINT
    case 0xCA: return 32;  // REAL
    case 0xD2: return 16;  // WORD
  }
  return 0;
}

// A limit as the parameter's type holds it; empty means none.
bool LimitFits(const std::string& text, long long type) {
  if (text.empty()) return true;
  if (type == 0xCA) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value) && std::fabs(value) <= 3.4028235e38;
  }
  long long value = 0;
  if (!Number(text, value)) return false;
  switch (type) {
    case 0xC1: return value == 0 || value == 1;
    case 0xC4: return value >= -2147483648L && value <= 2147483647L;
    case 0xC8: return value >= 0 && value <= 4294967295L;
    case 0xD2: return value >= 0 && value <= 0xFFFF;
  }
  return false;
}

bool InRange(const std::string& text, long long low, long long high) {
  long long value = 0;
  return Number(text, value) && value >= low && value <= high;
}

bool CheckParameter(const std::string& name, const EdsEntry& entry, std::string& error) {
  if (entry.fields.size() != 21) return Fail(error, name + " has " + std::to_string(entry.fields.size()) + " fields");
  long long type;
  if (!Number(entry.fields[4], type) || TypeBits(type) == 0) return Fail(error, name + " has an unknown data type");
  if (!InRange(entry.fields[5], 1, 255)) return Fail(error, name + " has a data size beyond a USINT");
  for (size_t limit : {9, 10, 11}) {
    if (!LimitFits(entry.fields[limit], type)) {
      return Fail(error, name + " field " + std::to_string(limit) + " " + entry.fields[limit] + " does not fit its type");
    }
  }
  if (!entry.fields[20].empty() && !InRange(entry.fields[20], 0, 255)) {
    return Fail(error, name + " has decimal places beyond a USINT");
  }
  return true;
}

// Enum and Fixed lists: pairs of a bit number within the parameter's type and a value.
bool CheckBitList(const EdsSection& params, const std::string& name, const EdsEntry& entry, std::string& error) {
  std::string number = name.substr(name[0] == 'E' ? 4 : 5);
  auto parameter = params.find("Param" + number);
  long long type;
  if (parameter == params.end() || parameter->second.fields.size() < 5 || !Number(parameter->second.fields[4], type)) {
    return Fail(error, name + " names no parameter");
  }
  if (entry.fields.size() % 2 != 0) return Fail(error, name + " is not a list of pairs");
  for (size_t i = 0; i < entry.fields.size(); i += 2) {
    if (!InRange(entry.fields[i], 0, TypeBits(type) - 1)) return Fail(error, name + " names a bit beyond its type");
  }
  return true;
}

// Size in bytes (a UINT) and members: pairs of a size in bits and an existing
// parameter, which together fill the size.
bool CheckAssembly(const EdsSection& params, const std::string& name, const EdsEntry& entry, std::string& error) {
  if (entry.fields.size() < 6 || entry.fields.size() % 2 != 0) return Fail(error, name + " has a broken member list");
  if (!entry.fields[2].empty() && !InRange(entry.fields[2], 0, 65535)) return Fail(error, name + " size beyond a UINT");
  long long bits = 0;
  for (size_t i = 6; i < entry.fields.size(); i += 2) {
    long long memberBits;
    if (!Number(entry.fields[i], memberBits) || memberBits < 0 || memberBits > 65535) {
      return Fail(error, name + " has a bad member size");
    }
    if (!params.count(entry.fields[i + 1])) return Fail(error, name + " names a missing " + entry.fields[i + 1]);
    bits += memberBits;
  }
  long long bytes;
  if (entry.fields.size() > 6 && (!Number(entry.fields[2], bytes) || bytes * 8 != bits)) {
    return Fail(error, name + " size does not match its members");
  }
  return true;
}

bool StartsWithNumber(const std::string& name, const std::string& prefix) {
  return name.size() > prefix.size() && name.rfind(prefix, 0) == 0 &&
         name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

}  // namespace

bool CheckEdsParameters(const EdsFile& file, std::string& error) {
  static const EdsSection none;
  auto section = [&](const char* name) -> const EdsSection& {
    auto found = file.sections.find(name);
    return found == file.sections.end() ? none : found->second;
  };
  const EdsSection& params = section("Params");
  for (const auto& [name, entry] : params) {
    if (StartsWithNumber(name, "Param") && !CheckParameter(name, entry, error)) return false;
    if ((StartsWithNumber(name, "Enum") || StartsWithNumber(name, "Fixed")) &&
        !CheckBitList(params, name, entry, error)) {
      return false;
    }
  }
  for (const auto& [name, entry] : section("Assembly")) {
    if (StartsWithNumber(name, "Assem") && !CheckAssembly(params, name, entry, error)) return false;
  }
  for (const auto& [name, entry] : section("Connection Manager")) {
    if (!StartsWithNumber(name, "Connection")) continue;
    for (size_t size : {3, 6}) {
      if (entry.fields.size() <= size || !InRange(entry.fields[size], 0, 65535)) {
        return Fail(error, name + " has a size beyond a UINT");
      }
    }
  }
  return true;
}
