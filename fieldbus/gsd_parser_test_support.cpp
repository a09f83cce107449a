#include "fieldbus/gsd_parser_test_support.h"

#include <algorithm>
#include <sstream>
#include <string_view>

#include "fieldbus/text_parsing_test_support.h"

namespace {

// The value with a ';' comment outside strings cut off.
std::string WithoutComment(const std::string& line) {
  bool inString = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') inString = !inString;
    if (line[i] == ';' && !inString) return line.substr(0, i);
  }
  return line;
}

bool ReadByte(const std::string& token, int& value) {
  long long number;
  if (!Number(token, number) || number < 0 || number > 255) return false;
  value = static_cast<int>(number);
  return true;
}

bool ReadModuleLine(const std::string& value, GsdModule& module) {
  if (value.empty() || value[0] != '"') return false;
  size_t close = value.find('"', 1);
  if (close == std::string::npos) return false;
  module.name = value.substr(1, close - 1);
  std::istringstream bytes(value.substr(close + 1));
  std::string token;
  while (std::getline(bytes, token, ',')) {
    int byte;
    if (!ReadByte(token, byte)) return false;
    module.identifier.push_back(byte);
  }
  return !module.identifier.empty();
}

// The configuration bytes: each general identifier is one byte; a special one
// (bits 4 and 5 clear) is followed by its length bytes (one for outputs, one for
// inputs, as bits 6 and 7 say) and by as many manufacturer bytes as bits 0 to 3 say.
bool IdentifierIsWhole(const std::vector<int>& bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    int head = bytes[at];
    if ((head & 0x30) != 0) {
      ++at;
      continue;
    }
    int lengthBytes = (head >> 6) == 3 ? 2 : (head >> 6) != 0 ? 1 : 0;
    int manufacturerBytes = head & 0x0F;
    if (manufacturerBytes == 15) return false;
    at += 1 + lengthBytes + manufacturerBytes;
  }
  return at == bytes.size();
}

bool IsGsdKeyword(const std::string& keyword) {
  if (keyword.empty() || !std::isalnum(static_cast<unsigned char>(keyword[0]))) return false;
  for (char c : keyword) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && std::string_view("_.()- ").find(c) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseGsd(const std::string& text, GsdFile& file, std::string& error) {
  std::vector<std::string> lines = Lines(text);
  bool header = false;
  bool inModule = false;
  bool awaitingReference = false;
  bool inFreeBlock = false;
  GsdModule module;
  for (size_t number = 0; number < lines.size(); ++number) {
    std::string line = lines[number];
    while (!line.empty() && line.back() == '\\' && number + 1 < lines.size()) {
      line.pop_back();
      line += lines[++number];
    }
    std::string where = "line " + std::to_string(number + 1) + ": ";
    for (char c : line) {
      auto byte = static_cast<unsigned char>(c);
      if (byte >= 0x7F || (byte < 0x20 && c != '\t')) return error = where + "not plain ASCII text", false;
    }
    if (std::count(line.begin(), line.end(), '"') % 2 != 0) return error = where + "string not closed", false;
    line = Trim(WithoutComment(line));
    if (line.empty()) continue;
    if (!header) {
      if (Upper(line) != "#PROFIBUS_DP") return error = where + "#Profibus_DP expected", false;
      header = true;
      continue;
    }
    if (awaitingReference) {
      if (!Number(line, module.reference)) return error = where + "module reference number expected", false;
      for (const GsdModule& earlier : file.modules) {
        if (earlier.reference == module.reference) return error = where + "module reference repeated", false;
      }
      awaitingReference = false;
      continue;
    }
    std::string upper = Upper(line);
    if (inModule && upper == "ENDMODULE") {
      file.modules.push_back(module);
      inModule = false;
      continue;
    }
    if (inFreeBlock) {
      inFreeBlock = upper != "ENDEXTUSERPRMDATA";
      continue;
    }
    if (upper == "ENDPRMTEXT" || upper == "SLOTDEFINITION" || upper == "ENDSLOTDEFINITION") continue;
    size_t equals = line.find('=');
    if (equals == std::string::npos) return error = where + "'=' expected", false;
    std::string keyword = Trim(line.substr(0, equals));
    std::string value = Trim(line.substr(equals + 1));
    if (!IsGsdKeyword(keyword)) return error = where + "bad keyword " + keyword, false;
    if (Upper(keyword) == "MODULE") {
      if (inModule) return error = where + "module inside a module", false;
      module = GsdModule{};
      if (!ReadModuleLine(value, module)) return error = where + "bad module line: " + value, false;
      if (!IdentifierIsWhole(module.identifier)) return error = where + "identifier bytes do not add up", false;
      inModule = awaitingReference = true;
      continue;
    }
    inFreeBlock = Upper(keyword) == "EXTUSERPRMDATA";
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (!inModule) file.keywords[keyword] = value;
  }
  if (!header) return error = "#Profibus_DP missing", false;
  if (inModule) return error = "module not closed by EndModule", false;
  return true;
}

