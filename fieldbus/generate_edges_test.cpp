// The edges of what a data table may hold, from both sides: just within, the four
// files carry the table as it is and pass every check of their formats; just
// beyond, the table is refused with its line, column and reason, and no file
// changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fieldbus/generate_fixture.h"
#include "fieldbus/table_lines.h"

namespace {

using GenerateEdgesTest = GenerateFixture;

struct EdgeRow {
  int address;
  const char* scope;
  int size;
  const char* type;
  std::string limits;  // MIN,MAX,DEFAULT
  std::string decimals;
  std::string bitNames;
};

int ScopeCode(const std::string& scope) {
  return scope == "OUTPUT" ? 0 : scope == "INPUT" ? 1 : scope == "SETTING" ? 2 : 3;
}
int TypeCode(const std::string& type) {
  return type == "BOOL" ? 0 : type == "SIGNED32" ? 3 : type == "BITS16" ? 10 : 18;
}

std::string Line(const EdgeRow& row) {
  return std::to_string(row.address) + ",Item " + std::to_string(row.address) + "," + row.scope + "," +
         std::to_string(row.size) + "," + row.type + "," + row.limits + "," + row.decimals + ",kg,\"" +
         row.bitNames + "\"\r\n";
}

RowFacts Facts(const EdgeRow& row) {
  RowFacts facts{row.address, ScopeCode(row.scope), row.size, TypeCode(row.type), {}};
  int bit = 0;
  std::string name;
  for (size_t at = 0; at <= row.bitNames.size(); ++at) {
    if (at == row.bitNames.size() || row.bitNames[at] == ',') {
      if (!name.empty()) facts.namedBits.push_back(bit);
      name.clear();
      ++bit;
    } else {
      name += row.bitNames[at];
    }
  }
  if (row.bitNames.empty()) facts.namedBits.clear();
  return facts;
}

std::string Names(int count) {
  std::string names;
  for (int i = 0; i < count; ++i) names += (i ? "," : "") + std::string("b") + std::to_string(i);
  return names;
}

// Output rows of the given sizes, from address 100 on.
std::vector<EdgeRow> OutputsOf(const std::vector<int>& sizes) {
  std::vector<EdgeRow> rows;
  for (int size : sizes) rows.push_back({100 + static_cast<int>(rows.size()), "OUTPUT", size, "SIGNED32", "0,1,0", "0", ""});
  return rows;
}

TEST_F(GenerateEdgesTest, JustWithinEveryEdgeTheFilesCarryTheTable) {
  REQUIRE_XMLLINT();
  std::vector<int> fullAssembly(511, 128);
  fullAssembly.insert(fullAssembly.end(), {64, 63});
  struct Case {
    const char* what;
    std::vector<EdgeRow> rows;
    std::string after;  // lines after the rows
  };
  for (const auto& [what, rows, after] : {
           Case{"the first and the last address",
                {{1, "OUTPUT", 4, "REAL32", "0,1,0", "0", ""}, {16382, "INPUT", 4, "REAL32", "0,1,0", "0", ""}},
                ""},
           Case{"blank lines after the rows, as editors leave them",
                {{1, "OUTPUT", 4, "REAL32", "0,1,0", "0", ""}},
                "\r\n\r\n,,,,,,,,,,\r\n  \r\n"},
           Case{"sizes at each edge",
                {{1, "SETTING", 255, "SIGNED32", "0,1,0", "0", ""},
                 {2, "OUTPUT", 128, "SIGNED32", "0,1,0", "0", ""},
                 {3, "INPUT", 63, "SIGNED32", "0,1,0", "0", ""},
                 {4, "INPUT", 1, "BOOL", "0,1,1", "0", ""},
                 {5, "OUTPUT", 3, "SIGNED32", "0,1,0", "0", ""}},
                ""},
           Case{"limits at each edge",
                {{1, "INPUT", 4, "SIGNED32", "-2147483648,2147483647,16777216", "0", ""},
                 {2, "INPUT", 2, "BITS16", "0,65535,65535", "0", ""},
                 {3, "INPUT", 4, "REAL32", "-3.402823E38,3.402823e+38,-1.5e-3", "0", ""},
                 {4, "INPUT", 1, "BOOL", "0,5,-1", "0", ""},
                 {5, "SETTING", 4, "SIGNED32", "-2.9,2.9,0", "255", ""}},
                ""},
           Case{"bit names filling each type",
                {{1, "INPUT", 2, "BITS16", "0,1,0", "0", Names(16)},
                 {2, "OUTPUT", 1, "BOOL", "0,1,0", "0", Names(8)},
                 {3, "OUTPUT", 4, "REAL32", "0,1,0", "0", Names(32)},
                 {4, "SETTING", 2, "BITS16", "0,1,0", "0", ",,,,,,,,,,,,,,,last,,,"}},
                ""},
           Case{"an assembly of exactly 65535 bytes", OutputsOf(fullAssembly), ""},
       }) {
    SCOPED_TRACE(what);
    std::string table;
    std::vector<RowFacts> facts;
    for (const EdgeRow& row : rows) {
      table += Line(row);
      facts.push_back(Facts(row));
    }
    ASSERT_TRUE(GenerateRows(table + after)) << LastFieldbusRefusal().View();
    std::string error;
    EXPECT_TRUE(CheckRows(ReadBack(), facts, error)) << error;
    ExpectSchemaValid();
  }
}

// One table beyond each kind of edge, over a set of files from an earlier table:
// those stay as they were, and nothing is added beside them.
TEST_F(GenerateEdgesTest, JustBeyondEveryEdgeNoFileChanges) {
  const std::string good = Line({1, "INPUT", 2, "BITS16", "0,1,0", "0", "a,b"});
  ASSERT_TRUE(GenerateRows(good));
  std::vector<std::string> before = Outputs();
  std::vector<std::string> listing = Listing();
  std::vector<int> overfull(512, 128);
  struct Case {
    std::string rows;
    const char* refusal;
  };
  for (const auto& [rows, refusal] : {
           Case{good + Line({0, "INPUT", 2, "BITS16", "0,1,0", "0", ""}), "line 3, DATA ADDRESS: 0 is below 1"},
           Case{good + Line({16383, "INPUT", 2, "BITS16", "0,1,0", "0", ""}), "line 3, DATA ADDRESS: 16383 is beyond"},
           Case{good + good, "line 3, DATA ADDRESS: 1 is already the address of line 2"},
           Case{good + "0x10,x,INPUT,2,BITS16,0,1,0,0,,\r\n", "line 3, DATA ADDRESS: \"0x10\" is not"},
           Case{Line({2, "SETTING", 256, "SIGNED32", "0,1,0", "0", ""}), "line 2, SIZE: 256 bytes is beyond 255"},
           Case{Line({2, "OUTPUT", 130, "SIGNED32", "0,1,0", "0", ""}), "line 2, SIZE: 130 bytes is more than"},
           Case{Line({2, "INPUT", 2, "BITS16", "0,65536,0", "0", ""}), "line 2, MAX: 65536 is outside 0 to 65535"},
           Case{Line({2, "INPUT", 4, "SIGNED32", "0,1,0", "256", ""}), "line 2, DECIMAL PLACES: 256 is outside"},
           Case{Line({2, "INPUT", 2, "BITS16", "0,1,0", "0", Names(17)}), "line 2, BIT NAMES: the name at place 17"},
           Case{Line({2, "INPUT", 1, "BOOL", "0,1,0", "0", Names(9)}), "line 2, BIT NAMES: the name at place 9"},
           Case{good + "2,\"x,INPUT,2,BITS16,0,1,0,0,,\r\n", "line 3, DATA NAME: a quote opens that is not closed"},
           Case{good + std::string(MaxTableLineLength + 1, 'x'), "line 3: longer than"},
       }) {
    console.Clear();
    EXPECT_FALSE(GenerateRows(rows)) << refusal;
    std::string text(LastFieldbusRefusal().View());
    EXPECT_EQ(text.substr(0, std::string(refusal).size()), refusal);
    EXPECT_EQ(Outputs(), before) << refusal;
    EXPECT_EQ(Listing(), listing) << refusal;
    EXPECT_FALSE(console.Said("generating")) << refusal;
  }
}

}  // namespace
