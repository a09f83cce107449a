#include "fieldbus/data_table.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "fieldbus/table_fixture.h"
#include "fieldbus/table_lines.h"
#include "fieldbus/table_refusal.h"

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
  EXPECT_FALSE(console.Said("not found"));
}

TEST_F(DataTableTest, AnUnclaimedFirstFieldFillsTheOneMissingColumn) {
  // A spoiled first header leaves DATA ADDRESS unmatched.
  Write("table.csv",
        "Data Adress,Data Name,Scope,Size,Type,Min,Max,Default,Decimal Places,Units,Bit Names\r\n"
        "4660,Weight,INPUT,4,REAL32,0,1,0,0,kg,\r\n");
  ASSERT_TRUE(ReadDataTable(String::Copy(Path("table.csv"))));
  EXPECT_EQ(RowAddress(), 4660);
  EXPECT_EQ(RowName(), "Weight");
}

TEST_F(DataTableTest, MissingFileIsReportedAndEmptiesTheTable) {
  Load("1,a,INPUT,2,BOOL,0,1,0,0,,\r\n");
  std::string missing = Path("absent.csv");
  EXPECT_FALSE(ReadDataTable(String::Copy(missing)));
  EXPECT_TRUE(console.Said(missing + " not found")) << console.Text();
  EXPECT_TRUE(console.Said("ReadDataTable"));
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

// Lines without text are no rows, wherever they stand: an editor's last line
// end, a gap between rows, a row a spreadsheet left with only its commas.
TEST_F(DataTableTest, BlankLinesAreNoRows) {
  const std::string row1 = "1,a,INPUT,2,BOOL,0,1,0,0,,";
  const std::string row2 = "2,b,OUTPUT,4,REAL32,0,1,0,0,,";
  struct Case {
    const char* what;
    std::string rows;
  };
  for (const auto& [what, rows] : {
           Case{"one line end after the last row", row1 + "\r\n" + row2 + "\r\n\r\n"},
           Case{"two", row1 + "\r\n" + row2 + "\r\n\r\n\r\n"},
           Case{"a gap", row1 + "\r\n\r\n\n\r" + row2},
           Case{"spaces and tabs", row1 + "\r\n  \t \r\n" + row2 + "\r\n \r\n"},
           Case{"only commas", row1 + "\r\n,,,,,,,,,,\r\n" + row2 + "\r\n\"\",, ,\r\n"},
       }) {
    Load(rows);
    EXPECT_EQ(TableRowCount(), 2) << what;
    EXPECT_EQ(TableInputSize(), 2) << what;
    EXPECT_EQ(TableOutputSize(), 4) << what;
  }
  // They still count as lines of the file.
  Write("table.csv", std::string(TableHeader) + "\r\n\r\n" + row1 + "\r\n\r\n0,c,INPUT,2,BOOL,0,1,0,0,,\r\n");
  EXPECT_FALSE(ReadDataTable(String::Copy(Path("table.csv"))));
  EXPECT_NE(LastFieldbusRefusal().View().find("line 6, DATA ADDRESS"), std::string_view::npos)
      << LastFieldbusRefusal().View();
}

// Every kind of value a description file cannot carry as the table says it: the
// table is refused whole, with the line, the column and the reason, on the report
// stream after the table's name, and nothing of it is kept.
TEST_F(DataTableTest, RefusalsNameTheLineTheColumnAndTheReason) {
  const std::string good = "1,a,INPUT,2,BITS16,0,1,0,0,,\r\n";
  auto row = [](const std::string& address, const std::string& name, const std::string& scope,
                const std::string& size, const std::string& type, const std::string& limits,
                const std::string& decimals, const std::string& bitNames) {
    return address + "," + name + "," + scope + "," + size + "," + type + "," + limits + "," + decimals + ",kg," +
           bitNames + "\r\n";
  };
  auto plain = [&](const std::string& address) { return row(address, "x", "INPUT", "2", "BITS16", "0,1,0", "0", ""); };
  std::string manyOutputs;
  for (int i = 0; i < 512; ++i) manyOutputs += row(std::to_string(100 + i), "o", "OUTPUT", "128", "SIGNED32", "0,1,0", "0", "");
  struct Case {
    std::string table;  // after the header
    const char* refusal;
  };
  for (const auto& [table, refusal] : {
           // Addresses.
           Case{good + plain("0"), "line 3, DATA ADDRESS: 0 is below 1: a PROFINET module ident number of 0 is not "
                                  "allowed, and the CANopen object (0x2001 + address) must stay above 0x2001"},
           Case{plain("-1"), "line 2, DATA ADDRESS: -1 is below 1"},
           Case{plain("0x10"), "line 2, DATA ADDRESS: \"0x10\" is not a whole decimal number"},
           Case{plain(""), "line 2, DATA ADDRESS: an empty field is not a whole decimal number"},
           Case{plain("12kg"), "line 2, DATA ADDRESS: \"12kg\" is not a whole decimal number"},
           Case{plain("16383"), "line 2, DATA ADDRESS: 16383 is beyond 16382: the CANopen object (0x2001 + address) "
                                "would leave the manufacturer's objects, which end at 0x5FFF"},
           Case{plain("99999999999999999999999"), "line 2, DATA ADDRESS: 99999999999999999999999 is beyond 16382"},
           Case{good + "\r\n" + plain(" 1 "), "line 4, DATA ADDRESS: 1 is already the address of line 2: each "
                                              "address names one data item in every file"},
           // Keywords.
           Case{row("1", "x", "OUTPT", "2", "BITS16", "0,1,0", "0", ""),
                "line 2, SCOPE: \"OUTPT\" is none of OUTPUT, INPUT, SETTING, GLOBAL"},
           Case{row("1", "x", "INPUT", "4", "FLOAT", "0,1,0", "0", ""),
                "line 2, TYPE: \"FLOAT\" is none of BOOL, SIGNED32, BITS16, REAL32"},
           Case{row("1", "x", "INPUT", "4", "", "0,1,0", "0", ""),
                "line 2, TYPE: an empty field is none of BOOL, SIGNED32, BITS16, REAL32"},
           // Sizes.
           Case{row("1", "x", "SETTING", "0", "BOOL", "0,1,0", "0", ""),
                "line 2, SIZE: 0 bytes: a data item holds at least 1"},
           Case{row("1", "x", "SETTING", "256", "SIGNED32", "0,1,0", "0", ""),
                "line 2, SIZE: 256 bytes is beyond 255, the largest size an EtherNet/IP parameter carries"},
           Case{row("1", "x", "OUTPUT", "130", "SIGNED32", "0,1,0", "0", ""),
                "line 2, SIZE: 130 bytes is more than one PROFIBUS module carries (128 bytes, 63 for an odd size)"},
           Case{row("1", "x", "INPUT", "65", "SIGNED32", "0,1,0", "0", ""), "line 2, SIZE: 65 bytes is more than one"},
           Case{row("1", "x", "INPUT", "4.0", "SIGNED32", "0,1,0", "0", ""),
                "line 2, SIZE: \"4.0\" is not a whole decimal number"},
           Case{manyOutputs, "line 513, SIZE: the OUTPUT rows come to 65536 bytes here, beyond the 65535 of an "
                             "EtherNet/IP assembly"},
           // Limits, as the files write them for the row's type.
           Case{row("1", "x", "INPUT", "2", "BITS16", "0,70000,0", "0", ""),
                "line 2, MAX: 70000 is outside 0 to 65535, the range of a BITS16"},
           Case{row("1", "x", "INPUT", "2", "BITS16", "-1,1,0", "0", ""),
                "line 2, MIN: -1 is outside 0 to 65535, the range of a BITS16"},
           Case{row("1", "x", "INPUT", "4", "SIGNED32", "-2147483649,1,0", "0", ""),
                "line 2, MIN: -2147483649 is outside -2147483648 to 2147483647, the range of a SIGNED32"},
           Case{row("1", "x", "INPUT", "4", "SIGNED32", "0,1,2147483647", "0", ""),
                "line 2, DEFAULT: 2147483647 becomes 2147483648 in the single precision a default is kept in, "
                "outside -2147483648 to 2147483647, the range of a SIGNED32"},
           Case{row("1", "x", "INPUT", "4", "REAL32", "0,1e39,0", "0", ""),
                "line 2, MAX: 1e39 is beyond the range of a REAL32 (3.402823E38 either way)"},
           Case{row("1", "x", "INPUT", "4", "REAL32", "0,1,1e999", "0", ""), "line 2, DEFAULT: 1e999 is beyond"},
           Case{row("1", "x", "INPUT", "4", "REAL32", "abc,1,0", "0", ""), "line 2, MIN: \"abc\" is not a number"},
           Case{row("1", "x", "INPUT", "4", "REAL32", "0,,0", "0", ""), "line 2, MAX: an empty field is not a number"},
           Case{row("1", "x", "INPUT", "4", "REAL32", "0,1,1e+", "0", ""), "line 2, DEFAULT: \"1e+\" is not a number"},
           // Decimal places.
           Case{row("1", "x", "INPUT", "4", "REAL32", "0,1,0", "40000", ""),
                "line 2, DECIMAL PLACES: 40000 is outside 0 to 255, the decimal places an EtherNet/IP parameter "
                "carries"},
           Case{row("1", "x", "INPUT", "4", "REAL32", "0,1,0", "-1", ""), "line 2, DECIMAL PLACES: -1 is outside"},
           Case{row("1", "x", "INPUT", "4", "REAL32", "0,1,0", "two", ""),
                "line 2, DECIMAL PLACES: \"two\" is not a whole decimal number"},
           // Bit names within the bits of the type.
           Case{row("1", "x", "INPUT", "2", "BITS16", "0,1,0", "0", "\"0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,sixteen\""),
                "line 2, BIT NAMES: the name at place 17, \"sixteen\", is beyond the 16 bits of a BITS16"},
           Case{row("1", "x", "INPUT", "1", "BOOL", "0,1,0", "0", "\",,,,,,,,ninth\""),
                "line 2, BIT NAMES: the name at place 9, \"ninth\", is beyond the 8 bits of a BOOL"},
           Case{row("1", "x", "INPUT", "2", "BITS16", "0,1,0", "0", "\"Run,'Stop\""),
                "line 2, BIT NAMES: the name at place 2 opens a quote that is not closed"},
           // Texts.
           Case{row("1", "", "INPUT", "2", "BITS16", "0,1,0", "0", ""),
                "line 2, DATA NAME: empty: every description file names the item by it"},
           Case{row("1", " \x01 ", "INPUT", "2", "BITS16", "0,1,0", "0", ""), "line 2, DATA NAME: empty"},
           Case{row("1", "\"Weight, net", "INPUT", "2", "BITS16", "0,1,0", "0", ""),
                "line 2, DATA NAME: a quote opens that is not closed before the line ends"},
           Case{row("1", std::string(32767, 'n'), "INPUT", "2", "BITS16", "0,1,0", "0", ""),
                "line 2, DATA NAME: longer than 32766 bytes"},
           Case{good + std::string(MaxTableLineLength + 1, ','), "line 3: longer than 1048576 bytes, which no table line is"},
       }) {
    Write("table.csv", std::string(TableHeader) + table);
    EXPECT_FALSE(ReadDataTable(String::Copy(Path("table.csv")))) << refusal;
    std::string text(LastFieldbusRefusal().View());
    EXPECT_EQ(text.substr(0, std::string(refusal).size()), refusal);
    EXPECT_TRUE(console.Said(Path("table.csv") + " " + text)) << text;
    EXPECT_EQ(TableRowCount(), 0);
    EXPECT_EQ(TableInputSize(), 0);
    EXPECT_TRUE(RowName().Empty());
  }
}

TEST_F(DataTableTest, HeadersThatCannotBeReadAreRefused) {
  struct Case {
    std::string header;
    const char* refusal;
  };
  for (const auto& [header, refusal] : {
           Case{"DATA ADDRESS,DATA NAME,SCOPE,TYPE,MIN,MAX,DEFAULT,DECIMAL PLACES,UNITS,BIT NAMES",
                "line 1: the header lacks SIZE"},
           Case{"Data Name,Scope", "line 1: the header lacks DATA ADDRESS, SIZE, TYPE, MIN, MAX, DEFAULT, DECIMAL "
                                   "PLACES, UNITS, BIT NAMES"},
           Case{"", "line 1: the header lacks DATA ADDRESS, DATA NAME"},
           Case{std::string(TableHeader).substr(0, std::string(TableHeader).size() - 2) + ",data name",
                "line 1: DATA NAME heads two columns, 2 and 12"},
       }) {
    Write("table.csv", header + "\r\n1,a,INPUT,2,BOOL,0,1,0,0,,\r\n");
    EXPECT_FALSE(ReadDataTable(String::Copy(Path("table.csv")))) << header;
    EXPECT_EQ(std::string(LastFieldbusRefusal().View()).substr(0, std::string(refusal).size()), refusal);
  }
  Write("empty.csv", "");
  EXPECT_FALSE(ReadDataTable(String::Copy(Path("empty.csv"))));
  EXPECT_NE(LastFieldbusRefusal().View().find("line 1: the header lacks"), std::string_view::npos);
}

// A row is read whole however long long its line; the old limit of a line cut it and
// made its rest another row.
TEST_F(DataTableTest, LongLinesAreReadWhole) {
  std::string name(30000, 'N');
  std::string units(20000, 'U');
  std::string bits = "\"" + std::string(20000, 'B') + ",Stop\"";
  Load("7," + name + ",INPUT,2,BITS16,0,1,0,0," + units + "," + bits + "\r\n8,b,INPUT,2,BITS16,0,1,0,0,,\r\n");
  ASSERT_EQ(TableRowCount(), 2);
  EXPECT_EQ(RowName().View(), name);
  EXPECT_EQ(RowUnits().View(), units);
  EXPECT_EQ(RowBitNames().View(), std::string(20000, 'B') + ",Stop");
}

// Each line is UTF-8 when it is valid UTF-8, Windows-1252 otherwise; the names are
// kept as UTF-8 either way, and a byte order mark is no part of the header.
TEST_F(DataTableTest, TablesInUtf8OrWindows1252KeepTheirNames) {
  struct Case {
    std::string bytes;
    std::string name;
  };
  for (const auto& [bytes, name] : {
           Case{"Gewicht \xC2\xB0" "C \xE2\x82\xAC \xE4\xB8\xAD", "Gewicht \xC2\xB0" "C \xE2\x82\xAC \xE4\xB8\xAD"},
           Case{"Gewicht \xB0" "C \x80 \xE4", "Gewicht \xC2\xB0" "C \xE2\x82\xAC \xC3\xA4"},
           Case{"a\x81" "b", "a\xC2\x81" "b"},
       }) {
    for (const char* mark : {"", "\xEF\xBB\xBF"}) {
      Write("table.csv", mark + std::string(TableHeader) + "1," + bytes + ",INPUT,2,BOOL,0,1,0,0,,\r\n");
      ASSERT_TRUE(ReadDataTable(String::Copy(Path("table.csv")))) << LastFieldbusRefusal().View();
      EXPECT_EQ(RowName().View(), name);
      EXPECT_EQ(RowAddress(), 1);
    }
  }
}

}  // namespace
