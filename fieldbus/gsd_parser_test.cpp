#include "fieldbus/gsd_parser_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string_view>

#include "fieldbus/text_parsing_test.h"

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
  long number;
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

namespace {

TEST(GsdParserTest, ReadsThePublicSample) {
  std::string error;
  GsdFile gsd;
  EXPECT_TRUE(ParseGsd(SampleText("profirust_mock.gsd"), gsd, error)) << error;
  EXPECT_EQ(gsd.modules.size(), 2u);
}

TEST(GsdParserTest, FaultsAreFound) {
  const std::string good = "#Profibus_DP\nVendor_Name = \"V\" ; x\nModule = \"M\" 0x43,0xC1\n1\nEndModule\n";
  std::string error;
  GsdFile file;
  ASSERT_TRUE(ParseGsd(good, file, error)) << error;
  ASSERT_EQ(file.modules.size(), 1u);
  EXPECT_EQ(file.modules[0].identifier, (std::vector<int>{0x43, 0xC1}));
  EXPECT_EQ(file.keywords["Vendor_Name"], "V");
  for (const char* broken : {
           "Vendor_Name = \"V\"\n",
           "#Profibus_DP\nVendor_Name = \"V\n",
           "#Profibus_DP\nModule = \"M \"x\" y\" 0x43\n1\nEndModule\n",
           "#Profibus_DP\nModule = \"M\" 0x43\nEndModule\n",
           "#Profibus_DP\nModule = \"M\" 0x43\n1\n",
           "#Profibus_DP\nModule = \"M\" 0x443\n1\nEndModule\n",
           "#Profibus_DP\nVendor_Name\n",
       }) {
    GsdFile parsed;
    EXPECT_FALSE(ParseGsd(broken, parsed, error)) << broken;
  }
}

}  // namespace
