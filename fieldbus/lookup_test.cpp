#include "fieldbus/lookup.h"

#include <gtest/gtest.h>

#include <string>

#include "fieldbus/table_fixture.h"
#include "fieldbus/text_escape.h"

namespace {

class LookupTest : public TableFixture {
 protected:
  void SetUp() override {
    TableFixture::SetUp();
    SerialCounter = 0;
    CurrentTextEscape = TextEscape::None;
  }
  void TearDown() override {
    CurrentTextEscape = TextEscape::None;
    TableFixture::TearDown();
  }

  // The key's text; its number goes to `number`.
  static std::string Text(const char* key, float* number = nullptr) {
    float value = -1;
    std::string text = "stale";
    EXPECT_TRUE(Lookup(key, value, text)) << key;
    if (number != nullptr) *number = value;
    return text;
  }
  static void SelectRow(int index) {
    ResetRowCursor();
    for (int i = 0; i <= index; ++i) ASSERT_TRUE(NextRow());
  }
};

TEST_F(LookupTest, CommonKeysOfTheCurrentRow) {
  Load("4660,Gross weight,OUTPUT,4,REAL32,-1000,1000.5,12.25,2,kg,\r\n"
       "16382,Status,INPUT,2,BITS16,0,65535,3,0,,\"Run,,Stop\"\r\n"
       "7,Flag,GLOBAL,1,BOOL,0,1,1,0,,\r\n");
  struct Case {
    const char* key;
    const char* text;
    float number;
  };
  SelectRow(0);
  for (auto [key, text, number] : {
           Case{"InputSize", "2", 2},
           Case{"INPUTBITSIZE", "16", 16},
           Case{"outputsize", "4", 4},
           Case{"OutputBitSize", "32", 32},
           Case{"Index", "0", 0},
           Case{"Count", "3", 3},
           Case{"DataAddress", "4660", 0},
           Case{"DataAddress_Hex", "0x00001234", 0},
           Case{"DataName", "Gross weight", 0},
           Case{"DataSize", "4", 4},
           Case{"DataBitSize", "32", 32},
           Case{"MinValue", "-1000", -1000},
           Case{"MaxValue", "1000.5", 1000.5},
           Case{"DefaultValue", "12.25", 12.25},
           Case{"DecimalPlaces", "2", 2},
           Case{"Units", "kg", 0},
           Case{"EthIPLinkPathSize", "7", 7},
       }) {
    float found = -1;
    EXPECT_EQ(Text(key, &found), text) << key;
    EXPECT_EQ(found, number) << key;
  }
  SelectRow(1);
  for (auto [key, text, number] : {
           Case{"Index", "1", 1},
           Case{"DataAddress", "16382", 0},
           Case{"DataAddress_Hex", "0x00003FFE", 0},
           Case{"MinValue", "0x0000", 0},
           Case{"MaxValue", "0xFFFF", 65535},
           Case{"DefaultValue", "0x0003", 3},
           Case{"DecimalPlaces", "", 0},
       }) {
    float found = -1;
    EXPECT_EQ(Text(key, &found), text) << key;
    EXPECT_EQ(found, number) << key;
  }
}

TEST_F(LookupTest, OffTheRowsTheRowKeysAreEmpty) {
  Load("4660,Gross weight,OUTPUT,4,REAL32,-1000,1000.5,12.25,2,kg,\r\n");
  ResetRowCursor();
  while (NextRow()) {
  }
  EXPECT_EQ(Text("Index"), "1");
  for (const char* key : {"DataName", "Units", "BitName", "DecimalPlaces"}) EXPECT_EQ(Text(key), "") << key;
  EXPECT_EQ(Text("DataAddress"), "0");
  EXPECT_EQ(Text("DataSize"), "0");
}

TEST_F(LookupTest, BitKeysFollowTheBitCursor) {
  Load("1,Status,OUTPUT,2,BITS16,0,1,0,0,,\"Run,,Stop\"\r\n");
  ResetBitCursor();
  ASSERT_TRUE(NextBit());
  ASSERT_TRUE(NextBit());
  ASSERT_TRUE(NextBit());
  float number = -1;
  EXPECT_EQ(Text("BitNo", &number), "2");
  EXPECT_EQ(number, 0);
  EXPECT_EQ(Text("BitName"), "Stop");
}

TEST_F(LookupTest, SerialCountsItsLookups) {
  Load("");
  float number = -1;
  EXPECT_EQ(Text("Serial", &number), "0");
  EXPECT_EQ(number, 0);
  EXPECT_EQ(Text("SERIAL", &number), "1");
  EXPECT_EQ(number, 1);
  EXPECT_EQ(SerialCounter, 2);
}

TEST_F(LookupTest, UnknownKeyIsReportedAsWritten) {
  Load("");
  float number = 5;
  std::string text = "kept";
  EXPECT_FALSE(Lookup("NoThing", number, text));
  EXPECT_TRUE(console.Said("Lookup not found: NoThing")) << console.Text();
}

TEST_F(LookupTest, EveryKnownKeyAdvancesTheProgressBar) {
  Load("");
  Text("Count");
  Text("count");
  float number;
  std::string text;
  Lookup("Nothing", number, text);
  EXPECT_EQ(ProgressTicks(), 2);
}

TEST_F(LookupTest, FieldbusKeysOfTheAddress0x1234) {
  Load("4660,Weight,OUTPUT,4,REAL32,0,1,0,0,,\r\n");
  EXPECT_EQ(Text("EthIPLinkPath"), "\"20 A2 25 34 12 30 05\"");
  EXPECT_EQ(Text("CANopenDictionary"), "3235");
  EXPECT_EQ(Text("ProfibusModule"), "0x43,0xC1,0x00,0x34,0x12");
  Load("4660,Command,INPUT,4,SIGNED32,0,1,0,0,,\r\n");
  EXPECT_EQ(Text("ProfibusModule"), "0x83,0xC1,0x00,0x34,0x12");
}

// The PROFIBUS length byte: consistent, in words for an even size, in bytes for an
// odd one, up to the 64 units the byte counts.
TEST_F(LookupTest, ProfibusLengthByteCountsTheRowsBytes) {
  struct Case {
    int size;
    const char* module;
  };
  for (auto [size, module] : {
           Case{1, "0x43,0x80,0x00,0x01,0x00"},
           Case{2, "0x43,0xC0,0x00,0x01,0x00"},
           Case{3, "0x43,0x82,0x00,0x01,0x00"},
           Case{4, "0x43,0xC1,0x00,0x01,0x00"},
           Case{63, "0x43,0xBE,0x00,0x01,0x00"},
           Case{128, "0x43,0xFF,0x00,0x01,0x00"},
       }) {
    Load("1,a,OUTPUT," + std::to_string(size) + ",SIGNED32,0,1,0,0,,\r\n");
    EXPECT_EQ(Text("ProfibusModule"), module) << size;
  }
}

TEST_F(LookupTest, FieldbusKeysOfEachTypeAndScope) {
  Load("1,a,OUTPUT,1,BOOL,0,1,0,0,,\r\n"
       "16382,b,INPUT,4,SIGNED32,0,1,0,0,,\r\n"
       "256,c,SETTING,2,BITS16,0,1,0,0,,\r\n"
       "255,d,GLOBAL,4,REAL32,0,1,0,0,,\r\n");
  struct Expected {
    const char* ethIpDescriptor;
    const char* ethIpDataType;
    const char* ethIpDataTypeDescription;
    const char* profinetDataType;
    const char* profinetUseAsBits;
    const char* profibusModule;
    const char* canopenDictionary;
    const char* canopenDataType;
    const char* canopenAccess;
    const char* canopenPdoMapping;
  };
  const Expected rows[] = {
      {"0x0010", "0xC1", "Logical Boolean with values TRUE and FALSE", "Unsigned8", "",
       "0x43,0x80,0x00,0x01,0x00", "2002", "0x0001", "ro", "1"},
      {"0x0000", "0xC4", "Signed 32\xE2\x80\x93" "bit integer value", "Integer32", "",
       "0x83,0xC1,0x00,0xFE,0x3F", "5FFF", "0x0004", "rw", "1"},
      {"0x0000", "0xD2", "Bit string - 16 bits", "Unsigned16", " UseAsBits=\"true\"", "0x03,0x00,0x00,0x01",
       "2101", "0x0006", "rw", "0"},
      {"0x0000", "0xCA", "32\xE2\x80\x93" "bit floating point value", "Float32", "", "0x03,0x00,0xFF,0x00",
       "2100", "0x0008", "rw", "0"},
  };
  for (int row = 0; row < 4; ++row) {
    SelectRow(row);
    const Expected& expected = rows[row];
    EXPECT_EQ(Text("EthIPDescriptor"), expected.ethIpDescriptor) << row;
    EXPECT_EQ(Text("EthIPDataType"), expected.ethIpDataType) << row;
    EXPECT_EQ(Text("EthIPDataTypeDescription"), expected.ethIpDataTypeDescription) << row;
    EXPECT_EQ(Text("ProfinetDataType"), expected.profinetDataType) << row;
    EXPECT_EQ(Text("ProfinetUseAsBits"), expected.profinetUseAsBits) << row;
    EXPECT_EQ(Text("ProfibusModule"), expected.profibusModule) << row;
    EXPECT_EQ(Text("CANopenDictionary"), expected.canopenDictionary) << row;
    EXPECT_EQ(Text("CANopenDataType"), expected.canopenDataType) << row;
    EXPECT_EQ(Text("CANopenAccess"), expected.canopenAccess) << row;
    EXPECT_EQ(Text("CANopenPDOMapping"), expected.canopenPdoMapping) << row;
  }
}

TEST_F(LookupTest, EthEnumNamesTheBitsOfABitString) {
  Load("1,a,OUTPUT,2,BITS16,0,1,0,0,,\"Run,,Stop\"\r\n"
       "2,b,OUTPUT,2,BITS16,0,1,0,0,,\r\n"
       "3,c,OUTPUT,4,SIGNED32,0,1,0,0,,\"Run,Stop\"\r\n"
       "4,d,OUTPUT,2,BITS16,0,1,0,0,,\",,\"\r\n");
  SelectRow(0);
  EXPECT_EQ(Text("ETHEnum"),
            "\r\n        Enum1 = "
            "\r\n                0,\"Run\","
            "\r\n                2,\"Stop\";"
            "\r\n        Fixed1 = "
            "\r\n                0,0,"
            "\r\n                2,0;");
  SelectRow(1);
  EXPECT_EQ(Text("ETHEnum"), "");
  SelectRow(2);
  EXPECT_EQ(Text("ETHEnum"), "");
  // Names that are all empty name no bit.
  SelectRow(3);
  EXPECT_EQ(Text("ETHEnum"), "");
}

TEST_F(LookupTest, TableTextsAreEscapedForTheFileBeingWritten) {
  Load("1,\"Tare \"\"net\"\" <&>\",OUTPUT,2,BITS16,0,1,0,0,\"k\"\"g\",'Run \"A\"'\r\n");
  ResetBitCursor();
  ASSERT_TRUE(NextBit());
  struct Case {
    TextEscape escape;
    const char* name;
    const char* units;
    const char* bitName;
  };
  for (auto [escape, name, units, bitName] : {
           Case{TextEscape::None, "Tare \"net\" <&>", "k\"g", "Run \"A\""},
           Case{TextEscape::Xml, "Tare &quot;net&quot; &lt;&amp;&gt;", "k&quot;g", "Run &quot;A&quot;"},
           Case{TextEscape::EdsString, "Tare \\\"net\\\" <&>", "k\\\"g", "Run \\\"A\\\""},
           Case{TextEscape::GsdString, "Tare 'net' <&>", "k'g", "Run 'A'"},
       }) {
    CurrentTextEscape = escape;
    EXPECT_EQ(Text("DataName"), name);
    EXPECT_EQ(Text("Units"), units);
    EXPECT_EQ(Text("BitName"), bitName);
  }
  CurrentTextEscape = TextEscape::EdsString;
  EXPECT_NE(Text("ETHEnum").find("0,\"Run \\\"A\\\"\";"), std::string::npos);
}

}  // namespace
