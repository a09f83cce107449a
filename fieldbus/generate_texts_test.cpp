// The table's texts in each file as that file's readers take them: nothing a format
// treats as syntax survives raw, the GSDML holds every character in the ISO-8859-1
// it declares or as a reference, and the EDS files and the GSD are plain ASCII with
// readable stand-ins.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fieldbus/generate_fixture.h"

namespace {

using GenerateTextsTest = GenerateFixture;

struct TextCase {
  std::string table;       // the name as the table's bytes hold it
  std::string name;        // as UTF-8
  std::string ascii;       // in the EtherNet/IP EDS and the GSD (whose '"' becomes '\'')
  std::string canopen;     // in the CANopen EDS, where ';' would start a comment
};

const std::vector<TextCase>& Cases() {
  static const std::vector<TextCase> cases = {
      {"Tare; net", "Tare; net", "Tare; net", "Tare, net"},
      {"\"say \"\"hi\"\" \\ <&>\"", "say \"hi\" \\ <&>", "say \"hi\" \\ <&>", "say \"hi\" \\ <&>"},
      {"a\tb\x01" "c\x7F" "d", "a\tb\x01" "c\x7F" "d", "a b c d", "a b c d"},
      {"Gewicht \xC2\xB0" "C \xC3\xA4 \xC2\xB5m", "Gewicht \xC2\xB0" "C \xC3\xA4 \xC2\xB5m", "Gewicht degC a um",
       "Gewicht degC a um"},
      {"Preis \xE2\x82\xAC/kg \xE4\xB8\xAD", "Preis \xE2\x82\xAC/kg \xE4\xB8\xAD", "Preis EUR/kg ?", "Preis EUR/kg ?"},
      // A line that is no UTF-8 is read as Windows-1252.
      {"Temp \xB0" "C \x80 \xE4", "Temp \xC2\xB0" "C \xE2\x82\xAC \xC3\xA4", "Temp degC EUR a", "Temp degC EUR a"},
  };
  return cases;
}

std::string GsdForm(std::string text) {
  for (char& c : text) {
    if (c == '"') c = '\'';
  }
  return text;
}

// XML normalizes the spaces a control character became; the reader sees spaces.
std::string XmlForm(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

TEST_F(GenerateTextsTest, EachFileHoldsTheTextsAsItsReadersTakeThem) {
  // Every text in every place a text goes: name, units and a bit name, which the
  // list of bit names quotes once more.
  std::string table;
  for (size_t i = 0; i < Cases().size(); ++i) {
    const TextCase& text = Cases()[i];
    std::string bitName = text.table[0] == '"' ? "'" + text.name + "'" : text.table;
    std::string bitNames;
    for (char c : "x," + bitName) bitNames += c == '"' ? std::string("\"\"") : std::string(1, c);
    table += std::to_string(i + 1) + "," + text.table + ",OUTPUT,2,BITS16,0,1,0,0," + text.table + ",\"" +
             bitNames + "\"\r\n";
  }
  ASSERT_TRUE(GenerateRows(table)) << LastFieldbusRefusal().View();
  DescriptionFiles files = ReadBack();
  ExpectSchemaValid();
  EdsSection& params = files.ethernetIp.sections["Params"];
  for (size_t i = 0; i < Cases().size(); ++i) {
    const TextCase& text = Cases()[i];
    SCOPED_TRACE(text.name);
    std::string number = std::to_string(i + 1);
    ASSERT_EQ(params["Param" + number].fields.size(), 21u);
    EXPECT_EQ(params["Param" + number].fields[6], text.ascii);
    EXPECT_EQ(params["Param" + number].fields[7], text.ascii);
    EXPECT_EQ(params["Enum" + number].fields, (std::vector<std::string>{"0", "x", "1", text.ascii}));
    ASSERT_EQ(files.profibus.modules.size(), Cases().size());
    EXPECT_EQ(files.profibus.modules[i].name, GsdForm(text.ascii));
    char index[8];
    std::snprintf(index, sizeof index, "%04zX", i + 1 + 0x2001);
    EXPECT_EQ(files.canopen.sections[index]["PARAMETERNAME"], text.canopen);
    EXPECT_EQ(files.profinet.texts["T_MODULE_INPUT_ADI" + number], XmlForm(text.name));
    EXPECT_EQ(files.profinet.texts["T_BIT_ADI" + number + "_1"], XmlForm(text.name));
  }
  // An XML reader of its own agrees.
  if (!ShellAvailable()) return;
  EXPECT_EQ(XmllintText("T_MODULE_INPUT_ADI4"), Cases()[3].name);
  EXPECT_EQ(XmllintText("T_MODULE_INPUT_ADI5"), Cases()[4].name);
}

// The only bytes beyond ASCII in the four files are the GSDML's, in the encoding it
// declares, and the en dashes of the fixed data type comments of the EtherNet/IP EDS.
TEST_F(GenerateTextsTest, OnlyTheGsdmlHoldsOtherCharacters) {
  std::string table;
  for (size_t i = 0; i < Cases().size(); ++i) {
    table += std::to_string(i + 1) + "," + Cases()[i].table + ",INPUT,4,SIGNED32,0,1,0,0," + Cases()[i].table + ",\r\n";
  }
  ASSERT_TRUE(GenerateRows(table)) << LastFieldbusRefusal().View();
  std::vector<std::string> texts = Outputs();
  std::string eds = texts[0];
  for (size_t at = eds.find("\xE2\x80\x93"); at != std::string::npos; at = eds.find("\xE2\x80\x93", at)) {
    size_t lineStart = eds.rfind('\n', at) + 1;
    EXPECT_NE(eds.substr(lineStart, at - lineStart).find("$ Data type (Signed 32"), std::string::npos);
    eds.replace(at, 3, "-");
  }
  for (const std::string& text : {eds, texts[2], texts[3]}) {
    for (char c : text) ASSERT_LT(static_cast<unsigned char>(c), 0x80);
  }
  EXPECT_NE(texts[1].find("Temp \xB0" "C &#x20AC; \xE4"), std::string::npos);
}

}  // namespace
