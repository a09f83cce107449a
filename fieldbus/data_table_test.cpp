#include "fieldbus/data_table.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "fieldbus/table_fixture_test.h"

namespace {

using DataTableTest = TableFixture;

struct RowView {
  int address;
  std::string name;
  int scope;
  int size;
  int type;
  double minimum;
  double maximum;
  float defaultValue;
  int decimals;
  std::string units;
  std::string bitNames;
  bool operator==(const RowView&) const = default;
};

std::ostream& operator<<(std::ostream& out, const RowView& row) {
  return out << row.address << " '" << row.name << "' scope " << row.scope << " size " << row.size << " type "
             << row.type << " " << row.minimum << ".." << row.maximum << " default " << row.defaultValue
             << " decimals " << row.decimals << " units '" << row.units << "' bits '" << row.bitNames << "'";
}

RowView Current() {
  return {RowAddress(),  std::string(RowName().View()),  RowScope(),   RowSize(),
          RowType(),     RowMinimum(),                   RowMaximum(), RowDefault(),
          RowDecimals(), std::string(RowUnits().View()), std::string(RowBitNames().View())};
}

std::vector<RowView> AllRows() {
  std::vector<RowView> rows;
  ResetRowCursor();
  while (NextRow()) rows.push_back(Current());
  return rows;
}

TEST_F(DataTableTest, HeadersInAnyOrderAndCaseFillTheRows) {
  Write("table.csv",
        "units,BIT NAMES,Data Name,scope,Type,SIZE,Min,MAX,default,Decimal Places,data address\r\n"
        "kg,,Gross weight,Output,real32,4,-1000,1000.5,12.25,2,4660\r\n"
        ",\"Run,,Stop\",Status,INPUT,Bits16,2,0,65535,0,0,16382\r\n"
        "g,,\"Tare, net\",setting,SIGNED32,4,-5,5,3,1,40\r\n"
        ",,Flag,GLOBAL,bool,1,0,1,1,,7\r\n"
        // Spaces around keywords and numbers are no part of them.
        " % , ,Odd, input ,BOOL, 1 , 0 ,1.0e0, +1 , 0 , 8 \r\n");
  ASSERT_TRUE(ReadDataTable(String::Copy(Path("table.csv"))));
  std::vector<RowView> expected = {
      {4660, "Gross weight", ScopeOutput, 4, TypeReal32, -1000, 1000.5, 12.25f, 2, "kg", ""},
      {16382, "Status", ScopeInput, 2, TypeBits16, 0, 65535, 0, 0, "", "Run,,Stop"},
      {40, "Tare, net", ScopeSetting, 4, TypeSigned32, -5, 5, 3, 1, "g", ""},
      // An empty DECIMAL PLACES is none.
      {7, "Flag", ScopeGlobal, 1, TypeBool, 0, 1, 1, 0, "", ""},
      {8, "Odd", ScopeInput, 1, TypeBool, 0, 1, 1, 0, " % ", " "},
  };
  EXPECT_EQ(AllRows(), expected);
  EXPECT_EQ(TableRowCount(), 5);
  // SETTING and GLOBAL rows count in neither total.
  EXPECT_EQ(TableOutputSize(), 4);
  EXPECT_EQ(TableInputSize(), 2 + 1);
}

TEST_F(DataTableTest, WhichHeadersAreAccepted) {
  struct Case {
    const char* header;
    bool accepted;
  };
  for (auto [header, accepted] : {
           Case{"DATA ADDRESS,DATA NAME,SCOPE,SIZE,TYPE,MIN,MAX,DEFAULT,DECIMAL PLACES,UNITS,BIT NAMES", true},
           // Missing SIZE while DATA ADDRESS sits at position 0: two columns at 0.
           Case{"DATA ADDRESS,DATA NAME,SCOPE,TYPE,MIN,MAX,DEFAULT,DECIMAL PLACES,UNITS,BIT NAMES", false},
           // Surrounding spaces keep a header from matching.
           Case{"DATA ADDRESS,DATA NAME,SCOPE, SIZE ,TYPE,MIN,MAX,DEFAULT,DECIMAL PLACES,UNITS,BIT NAMES", false},
           Case{"", false},
       }) {
    Write("table.csv", std::string(header) + "\r\n1,a,INPUT,2,BOOL,0,1,0,0,,\r\n");
    EXPECT_EQ(ReadDataTable(String::Copy(Path("table.csv"))), accepted) << header;
  }
  EXPECT_EQ(Console().find("not found"), std::string::npos);
}

TEST_F(DataTableTest, AnUnclaimedFirstFieldFillsTheOneMissingColumn) {
  // A spoiled first header (here a byte order mark) leaves DATA ADDRESS unmatched.
  Write("table.csv",
        "\xEF\xBB\xBF" "Data Address,Data Name,Scope,Size,Type,Min,Max,Default,Decimal Places,Units,Bit Names\r\n"
        "4660,Weight,INPUT,4,REAL32,0,1,0,0,kg,\r\n");
  ASSERT_TRUE(ReadDataTable(String::Copy(Path("table.csv"))));
  EXPECT_EQ(RowAddress(), 4660);
  EXPECT_EQ(RowName(), "Weight");
}

TEST_F(DataTableTest, MissingFileIsReportedAndEmptiesTheTable) {
  Load("1,a,INPUT,2,BOOL,0,1,0,0,,\r\n");
  std::string missing = Path("absent.csv");
  EXPECT_FALSE(ReadDataTable(String::Copy(missing)));
  EXPECT_NE(Console().find(missing + " not found"), std::string::npos) << Console();
  EXPECT_NE(Console().find("ReadDataTable"), std::string::npos);
  EXPECT_EQ(TableRowCount(), 0);
  EXPECT_EQ(TableInputSize(), 0);
  EXPECT_TRUE(RowName().Empty());
}

TEST_F(DataTableTest, LineEndsOfAnyKindAndTheLastLineWithoutOne) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    std::string table = TableHeader;
    table.replace(table.size() - 2, 2, end);
    table += std::string("1,a,INPUT,1,BOOL,0,1,0,0,,") + end + "2,b,OUTPUT,2,BOOL,0,1,0,0,,";
    Write("table.csv", table);
    ASSERT_TRUE(ReadDataTable(String::Copy(Path("table.csv"))));
    EXPECT_EQ(TableRowCount(), 2);
    EXPECT_EQ(TableInputSize(), 1);
    EXPECT_EQ(TableOutputSize(), 2);
  }
}

TEST_F(DataTableTest, RowCursorStartsOnTheFirstRowAndStopsAtTheCount) {
  Load("1,a,INPUT,2,BOOL,0,1,0,0,,\r\n2,b,INPUT,2,BOOL,0,1,0,0,,\r\n");
  EXPECT_EQ(TableRowIndex(), 0);
  EXPECT_EQ(RowName(), "a");
  ResetRowCursor();
  EXPECT_EQ(TableRowIndex(), -1);
  EXPECT_TRUE(RowName().Empty());
  EXPECT_TRUE(NextRow());
  EXPECT_TRUE(NextRow());
  EXPECT_EQ(RowName(), "b");
  EXPECT_FALSE(NextRow());
  EXPECT_FALSE(NextRow());
  EXPECT_EQ(TableRowIndex(), 2);
  EXPECT_EQ(RowAddress(), 0);
  EXPECT_TRUE(RowBitNames().Empty());
}

TEST_F(DataTableTest, BitCursorKeepsThePlacesOfEmptyNames) {
  Load("1,a,OUTPUT,2,BITS16,0,1,0,0,,\"Run,,'Stop, now'\"\r\n2,b,OUTPUT,2,BITS16,0,1,0,0,,\r\n");
  struct Bit {
    int number;
    std::string name;
    bool operator==(const Bit&) const = default;
  };
  auto bits = [] {
    std::vector<Bit> taken;
    ResetBitCursor();
    while (NextBit()) taken.push_back({BitNumber(), std::string(BitName().View())});
    return taken;
  };
  ResetRowCursor();
  ASSERT_TRUE(NextRow());
  EXPECT_EQ(bits(), (std::vector<Bit>{{0, "Run"}, {1, ""}, {2, "Stop, now"}}));
  ASSERT_TRUE(NextRow());
  EXPECT_EQ(bits(), (std::vector<Bit>{{0, ""}}));
  ASSERT_FALSE(NextRow());
  EXPECT_EQ(bits(), (std::vector<Bit>{{0, ""}}));
}

}  // namespace
