// Properties over many tables. Random tables of valid rows always give four files
// that pass every check of their formats and say what the table says; random damage
// to such a table gives either a refusal that names a line, with no file changed,
// or files that pass those checks and say what was read.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "fieldbus/generate_fixture.h"

namespace {

class GeneratePropertyTest : public GenerateFixture {
 protected:
  std::mt19937 random{20240101};

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
  bool OneIn(int n) { return Uniform(1, n) == 1; }
  template <typename T>
  const T& PickFrom(const std::vector<T>& items) { return items[Uniform(0, static_cast<int>(items.size()) - 1)]; }
};

// A character of a text and how each file must show it.
struct Glyph {
  std::string table;  // UTF-8
  std::string ascii;  // in the EDS files and the GSD
};

const std::vector<Glyph>& Glyphs() {
  static const std::vector<Glyph> glyphs = [] {
    std::vector<Glyph> all;
    for (char c = 0x20; c < 0x7F; ++c) all.push_back({std::string(1, c), std::string(1, c)});
    for (const Glyph& other : std::vector<Glyph>{{"\t", " "}, {"\x01", " "}, {"\xC3\xA4", "a"}, {"\xC2\xB0", "deg"},
                                                 {"\xE2\x82\xAC", "EUR"}, {"\xE4\xB8\xAD", "?"}, {"\xC3\x9F", "ss"}}) {
      all.push_back(other);
    }
    return all;
  }();
  return glyphs;
}

struct TextSample {
  std::string table;
  std::string ascii;
};

struct GeneratedRow {
  RowFacts facts;
  std::string line;
  TextSample name;
};

// A table as a failure shows it, its line ends visible.
std::string Shown(const std::string& table) {
  std::string shown;
  for (char c : table) shown += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n\n") : std::string(1, c);
  return shown;
}

std::string CsvQuoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// The forms each file's reader gives back.
std::string GsdForm(std::string text) {
  for (char& c : text) c = c == '"' ? '\'' : c;
  return text;
}
std::string CanopenForm(std::string text) {
  for (char& c : text) c = c == ';' ? ',' : c;
  size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return "";
  return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}
std::string XmlForm(std::string text) {
  for (char& c : text) c = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  return text;
}

class ValidTables : public GeneratePropertyTest {
 protected:
  TextSample Text(int length) {
    TextSample text;
    // A letter first: a name is never blank.
    text.table = text.ascii = std::string(1, static_cast<char>('A' + Uniform(0, 25)));
    for (int i = 1; i < length; ++i) {
      const Glyph& glyph = PickFrom(Glyphs());
      text.table += glyph.table;
      text.ascii += glyph.ascii;
    }
    return text;
  }

  std::string Number(double value, bool whole) {
    std::vector<std::string> forms;
    char text[64];
    if (whole) {
      long long integer = static_cast<long long>(value);
      forms = {std::to_string(integer), " " + std::to_string(integer) + " ",
               (integer >= 0 ? "+" : "") + std::to_string(integer)};
    } else {
      std::snprintf(text, sizeof text, "%.6g", value);
      forms = {text};
      std::snprintf(text, sizeof text, "%.3E", value);
      forms.push_back(text);
    }
    return PickFrom(forms);
  }

  GeneratedRow Row(int address, int& outputBytes, int& inputBytes) {
    static const char* const scopes[] = {"OUTPUT", "INPUT", "SETTING", "GLOBAL"};
    static const char* const types[] = {"BOOL", "SIGNED32", "BITS16", "REAL32"};
    static const int typeCodes[] = {0, 3, 10, 18};
    static const int typeBits[] = {8, 32, 16, 32};
    GeneratedRow row;
    int scope = Uniform(0, 3);
    int type = Uniform(0, 3);
    bool exchanged = scope <= 1;
    int size = exchanged ? Uniform(1, 128) : Uniform(1, 255);
    if (exchanged && size % 2 == 1 && size > 63) --size;
    (scope == 0 ? outputBytes : inputBytes) += exchanged ? size : 0;
    row.facts = {address, scope, size, typeCodes[type], {}};
    double low, high;
    bool whole = type != 3;
    switch (type) {
      case 1: low = -2147483648.0, high = 2147483647.0; break;
      case 2: low = 0, high = 65535; break;
      case 3: low = -3.4e38, high = 3.4e38; break;
      default: low = -100, high = 100;
    }
    auto value = [&](double from, double to) { return std::uniform_real_distribution<double>(from, to)(random); };
    // Defaults are kept in single precision: within 2^24 every whole number is exact.
    double defaultHigh = type == 1 ? 16777216 : high;
    double defaultLow = type == 1 ? -16777216 : low;
    std::string limits = Number(value(low, high), whole) + "," + Number(value(low, high), whole) + "," +
                         Number(value(defaultLow, defaultHigh), whole);
    std::string decimals = OneIn(4) ? "" : std::to_string(Uniform(0, 255));
    row.name = Text(Uniform(1, 24));
    TextSample units = OneIn(3) ? TextSample{} : Text(Uniform(1, 8));
    std::string bitNames;
    int names = OneIn(2) ? 0 : Uniform(1, typeBits[type]);
    for (int bit = 0; bit < names; ++bit) {
      std::string name = OneIn(4) ? "" : "Bit " + std::to_string(bit);
      bitNames += (bit ? "," : "") + name;
      if (!name.empty()) row.facts.namedBits.push_back(bit);
    }
    static const char* const caseForms[] = {"%s", "lower"};
    std::string scopeText = scopes[scope];
    std::string typeText = types[type];
    if (caseForms[Uniform(0, 1)][0] == 'l') {
      for (char& c : scopeText) c = static_cast<char>(std::tolower(c));
    }
    std::string fields[11] = {std::to_string(address), CsvQuoted(row.name.table), scopeText, std::to_string(size),
                              typeText, "", "", "", decimals, CsvQuoted(units.table), CsvQuoted(bitNames)};
    size_t comma1 = limits.find(',');
    size_t comma2 = limits.find(',', comma1 + 1);
    fields[5] = limits.substr(0, comma1);
    fields[6] = limits.substr(comma1 + 1, comma2 - comma1 - 1);
    fields[7] = limits.substr(comma2 + 1);
    for (int i = 0; i < 11; ++i) row.line += (i ? "," : "") + fields[order[i]];
    return row;
  }

  // A table of valid rows in a random column order, with blank lines among them.
  std::string Table(std::vector<GeneratedRow>& rows) {
    static const char* const headers[] = {"Data Address", "Data Name", "Scope", "Size", "Type", "Min", "Max",
                                          "Default", "Decimal Places", "Units", "Bit Names"};
    for (int i = 0; i < 11; ++i) order[i] = i;
    std::shuffle(order, order + 11, random);
    std::string end = PickFrom(std::vector<std::string>{"\r\n", "\n", "\r"});
    std::string text;
    for (int i = 0; i < 11; ++i) text += (i ? "," : "") + std::string(headers[order[i]]);
    text += end;
    std::vector<int> addresses;
    int count = Uniform(0, 40);
    while (static_cast<int>(addresses.size()) < count) {
      int address = OneIn(10) ? PickFrom(std::vector<int>{1, 16382}) : Uniform(1, 16382);
      if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) addresses.push_back(address);
    }
    int outputBytes = 0;
    int inputBytes = 0;
    for (int address : addresses) {
      rows.push_back(Row(address, outputBytes, inputBytes));
      text += rows.back().line + end;
      if (OneIn(8)) text += PickFrom(std::vector<std::string>{"", " ", ",,,,,,,,,,"}) + end;
    }
    return text;
  }

  int order[11];
};

TEST_F(ValidTables, AlwaysGiveFourFilesThatSayWhatTheTableSays) {
  for (int round = 0; round < 150; ++round) {
    std::vector<GeneratedRow> rows;
    std::string table = Table(rows);
    SCOPED_TRACE("round " + std::to_string(round) + ":\n" + Shown(table));
    Write(std::string(Stem) + ".csv", table);
    ASSERT_TRUE(GenerateFieldbusFiles(String::Copy(Path(std::string(Stem) + ".csv")))) << LastFieldbusRefusal().View();
    DescriptionFiles files = ReadBack();
    std::vector<RowFacts> facts;
    for (const GeneratedRow& row : rows) facts.push_back(row.facts);
    std::string error;
    ASSERT_TRUE(CheckRows(files, facts, error)) << error;
    for (size_t i = 0; i < rows.size(); ++i) {
      const GeneratedRow& row = rows[i];
      std::string number = std::to_string(i + 1);
      EXPECT_EQ(files.ethernetIp.sections["Params"]["Param" + number].fields[6], row.name.ascii);
      EXPECT_EQ(files.profibus.modules[i].name, GsdForm(row.name.ascii));
      char index[8];
      std::snprintf(index, sizeof index, "%04X", row.facts.address + 0x2001);
      EXPECT_EQ(files.canopen.sections[index]["PARAMETERNAME"], CanopenForm(row.name.ascii));
      if (row.facts.scope <= 1) {
        std::string module = row.facts.scope == 0 ? "T_MODULE_INPUT_ADI" : "T_MODULE_OUTPUT_ADI";
        EXPECT_EQ(files.profinet.texts[module + std::to_string(row.facts.address)], XmlForm(row.name.table));
      }
    }
    if (round % 15 == 0) ExpectSchemaValid();
  }
}

TEST_F(ValidTables, DamageGivesARefusalOrFilesThatPassEveryCheck) {
  static const std::vector<std::string> inserts = {"0", "9", "-", "x", ",", "\"", "'", ";", "\r", "\n", "\r\n",
                                                   std::string(1, '\0'), "\xFF", "\xC3", "e", ".", " "};
  int refused = 0;
  int generated = 0;
  for (int round = 0; round < 400; ++round) {
    std::vector<GeneratedRow> rows;
    std::string table = Table(rows);
    for (int damage = Uniform(1, 3); damage > 0 && !table.empty(); --damage) {
      size_t at = static_cast<size_t>(Uniform(0, static_cast<int>(table.size()) - 1));
      switch (Uniform(0, 4)) {
        case 0: table.erase(at, 1); break;
        case 1: table.insert(at, PickFrom(inserts)); break;
        case 2: table[at] = PickFrom(inserts)[0]; break;
        case 3: {
          // A line twice.
          size_t start = table.rfind('\n', at);
          start = start == std::string::npos ? 0 : start + 1;
          size_t end = table.find('\n', at);
          table.insert(start, table.substr(start, end == std::string::npos ? std::string::npos : end - start + 1));
          break;
        }
        default: table.resize(at);
      }
    }
    SCOPED_TRACE("round " + std::to_string(round) + ":\n" + Shown(table));
    std::vector<std::string> before = Outputs();
    Write(std::string(Stem) + ".csv", table);
    if (GenerateFieldbusFiles(String::Copy(Path(std::string(Stem) + ".csv")))) {
      ++generated;
      std::string error;
      DescriptionFiles files = ReadBack();
      ASSERT_TRUE(CheckRows(files, FactsOfTheTableRead(), error)) << error;
    } else {
      ++refused;
      EXPECT_EQ(LastFieldbusRefusal().View().substr(0, 5), "line ") << LastFieldbusRefusal().View();
      ASSERT_EQ(Outputs(), before);
    }
  }
  // Both ways were taken often enough to mean something.
  EXPECT_GT(refused, 100);
  EXPECT_GT(generated, 50);
}

}  // namespace
