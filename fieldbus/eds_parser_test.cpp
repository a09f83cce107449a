#include "fieldbus/eds_parser_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

#include "fieldbus/text_parsing_test.h"

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

// A public sample shows the parser accepts the format as others write it.
TEST(EdsParserTest, ReadsThePublicSample) {
  std::string error;
  EdsFile eds;
  EXPECT_TRUE(ParseEds(SampleText("opener_sample_app.eds"), eds, error)) << error;
  EXPECT_EQ(eds.sections["Params"]["Param1"].fields.size(), 21u);
}

TEST(EdsParserTest, FaultsAreFound) {
  const std::string good = "[Device]\n  Name = \"a \\\"b\\\"\" \"c\", 12, ; $ note\n";
  std::string error;
  EdsFile file;
  ASSERT_TRUE(ParseEds(good, file, error)) << error;
  EXPECT_EQ(file.sections["Device"]["Name"].fields, (std::vector<std::string>{"a \"b\"c", "12", ""}));
  for (const char* broken : {
           "[Device]\n  Name = \"a \"b\"\";\n",
           "[Device]\n  Name = \"a;\n",
           "[Device]\n  Name = 1, 2\n",
           "[Device]\n  Name = 1 2;\n",
           "Name = 1;\n",
           "[Device]\n  Name 1;\n",
           "[Device]\n  Name = 1;\n  Name = 2;\n",
           "[Device\n",
           "[Device]\n  Name = \"a\tb\x01\";\n",
       }) {
    EdsFile parsed;
    EXPECT_FALSE(ParseEds(broken, parsed, error)) << broken;
  }
}

}  // namespace
