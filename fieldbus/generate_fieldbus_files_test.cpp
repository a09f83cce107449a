#include "fieldbus/generate_fieldbus_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "fieldbus/canopen_parser_test_support.h"
#include "fieldbus/eds_parser_test_support.h"
#include "fieldbus/generate_fixture.h"
#include "fieldbus/gsd_parser_test_support.h"
#include "fieldbus/table_refusal.h"
#include "fieldbus/table_fixture.h"
#include "testing/special_files.h"

namespace {

struct Row {
  int address;
  std::string name;
  std::string scope;
  std::string type;
  std::string units;
  std::string bitNames;

  int Size() const { return type == "BITS16" ? 2 : type == "BOOL" ? 1 : 4; }
};

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string TableText(const std::vector<Row>& rows) {
  std::string text = TableHeader;
  for (const Row& row : rows) {
    text += std::to_string(row.address) + "," + Quoted(row.name) + "," + row.scope + "," +
            std::to_string(row.Size()) + "," + row.type + ",0,100,1,0," + Quoted(row.units) + "," +
            Quoted(row.bitNames) + "\r\n";
  }
  return text;
}

// Every scope and type, some addresses with both bytes set, bit strings with and
// without names, an empty name among them.
std::vector<Row> ManyRows(int count) {
  static const char* const scopes[] = {"OUTPUT", "INPUT", "SETTING", "GLOBAL", "INPUT"};
  static const char* const types[] = {"REAL32", "BITS16", "SIGNED32", "BOOL"};
  std::vector<Row> rows;
  for (int i = 0; i < count; ++i) {
    Row row{i % 97 == 5 ? 15000 + i : 100 + i, "Item " + std::to_string(i), scopes[i % 5], types[i % 4], "kg", ""};
    if (row.type == "BITS16" && i % 3 != 0) row.bitNames = "Run,,Stop " + std::to_string(i);
    rows.push_back(row);
  }
  return rows;
}

class GenerateFieldbusFilesTest : public TableFixture {
 protected:
  static constexpr const char* Stem = "01 KD5 123456 Fieldbus";

  bool Generate(const std::vector<Row>& rows) {
    Write(std::string(Stem) + ".csv", TableText(rows));
    return GenerateFieldbusFiles(String::Copy(Path(std::string(Stem) + ".csv")));
  }
  std::string Output(const char* suffix) const { return Read(std::string(Stem) + suffix); }

  std::vector<std::string> Listing() const { return folder.Listing(); }

  EdsFile EthernetIp() const {
    EdsFile file;
    std::string error;
    EXPECT_TRUE(ParseEds(Output(" EthernetIP.EDS"), file, error)) << error;
    return file;
  }
  GsdFile Profibus() const {
    GsdFile file;
    std::string error;
    EXPECT_TRUE(ParseGsd(Output(" Profibus.gsd"), file, error)) << error;
    return file;
  }
  CanopenFile Canopen() const {
    CanopenFile file;
    std::string error;
    EXPECT_TRUE(ParseCanopenEds(Output(" CANopen.eds"), file, error) && CheckCanopenObjects(file, error)) << error;
    return file;
  }
};

std::string Parameter(int number) { return "Param" + std::to_string(number); }

// A field of an entry; a failure, not a crash, when a broken file left it out.
std::string Field(const EdsEntry& entry, size_t index) {
  if (index < entry.fields.size()) return entry.fields[index];
  ADD_FAILURE() << "the entry has no field " << index;
  return "";
}

// The members of an assembly: pairs of size in bits and parameter after the six
// fixed fields.
std::vector<std::pair<int, std::string>> Members(const EdsEntry& assembly) {
  std::vector<std::pair<int, std::string>> members;
  for (size_t i = 6; i + 1 < assembly.fields.size(); i += 2) {
    members.emplace_back(std::atoi(assembly.fields[i].c_str()), assembly.fields[i + 1]);
  }
  return members;
}

TEST_F(GenerateFieldbusFilesTest, WritesTheFourFilesBesideTheTableAndReportsThem) {
  Write(std::string(Stem) + " EthernetIP.EDS", "an older file");
  ASSERT_TRUE(Generate({{4660, "Weight", "OUTPUT", "REAL32", "kg", ""}}));
  std::string prefix = folder.Path() + "/";
  std::string report = std::string("GenerateFieldbusFiles generating Ethernet/IP configuration: ") + prefix + Stem +
                       " EthernetIP.EDS\r\n"
                       "GenerateFieldbusFiles generating Profinet configuration: " + prefix + Stem + " Profinet.xml\r\n"
                       "GenerateFieldbusFiles generating Profibus configuration: " + prefix + Stem + " Profibus.gsd\r\n"
                       "GenerateFieldbusFiles generating CANopen configuration: " + prefix + Stem + " CANopen.eds";
  EXPECT_TRUE(console.Said(report)) << console.Text();
  std::vector<std::string> expected = {std::string(Stem) + " CANopen.eds", std::string(Stem) + " EthernetIP.EDS",
                                       std::string(Stem) + " Profibus.gsd", std::string(Stem) + " Profinet.xml",
                                       std::string(Stem) + ".csv", GsdmlFileName};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Listing(), expected);
  EXPECT_EQ(Read(GsdmlFileName), Output(" Profinet.xml"));
  for (const char* suffix : {" EthernetIP.EDS", " Profinet.xml", " Profibus.gsd", " CANopen.eds"}) {
    std::string text = Output(suffix);
    EXPECT_EQ(text.find("%"), std::string::npos) << suffix;
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
      ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << suffix << " has a bare line feed at " << at;
    }
  }
  EXPECT_EQ(Field(EthernetIp().sections["Params"]["Param1"], 2), "20 A2 25 34 12 30 05");
}

TEST_F(GenerateFieldbusFilesTest, AThousandRowsThroughAllFourFiles) {
  std::vector<Row> rows = ManyRows(1000);
  ASSERT_TRUE(Generate(rows));

  EdsFile eds = EthernetIp();
  EdsSection& params = eds.sections["Params"];
  int inputBytes = 0;
  int outputBytes = 0;
  std::vector<std::pair<int, std::string>> inputs;
  std::vector<std::pair<int, std::string>> outputs;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    const EdsEntry& param = params[Parameter(static_cast<int>(i) + 1)];
    ASSERT_EQ(param.fields.size(), 21u) << i;
    EXPECT_EQ(Field(param, 6), row.name);
    char path[32];
    std::snprintf(path, sizeof path, "20 A2 25 %02X %02X 30 05", row.address & 0xFF, (row.address >> 8) & 0xFF);
    EXPECT_EQ(Field(param, 2), path);
    bool named = !row.bitNames.empty();
    EXPECT_EQ(params.count("Enum" + std::to_string(i + 1)), named ? 1u : 0u) << i;
    if (named) {
      EXPECT_EQ(Field(params["Enum" + std::to_string(i + 1)], 3), "Stop " + std::to_string(i));
    }
    if (row.scope == "INPUT") {
      inputBytes += row.Size();
      inputs.emplace_back(row.Size() * 8, Parameter(static_cast<int>(i) + 1));
    }
    if (row.scope == "OUTPUT") {
      outputBytes += row.Size();
      outputs.emplace_back(row.Size() * 8, Parameter(static_cast<int>(i) + 1));
    }
  }
  EXPECT_EQ(Field(params["Param1001"], 6), "RPI range");
  EdsSection& assemblies = eds.sections["Assembly"];
  EXPECT_EQ(Field(assemblies["Assem150"], 2), std::to_string(inputBytes));
  EXPECT_EQ(Members(assemblies["Assem150"]), inputs);
  EXPECT_EQ(Field(assemblies["Assem100"], 2), std::to_string(outputBytes));
  EXPECT_EQ(Members(assemblies["Assem100"]), outputs);
  const EdsEntry& owner = eds.sections["Connection Manager"]["Connection1"];
  ASSERT_GE(owner.fields.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(owner.fields.begin() + 2, owner.fields.begin() + 8),
            (std::vector<std::string>{"Param1001", std::to_string(inputBytes), "Assem150", "Param1001",
                                      std::to_string(outputBytes), "Assem100"}));

  GsdFile gsd = Profibus();
  ASSERT_EQ(gsd.modules.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(gsd.modules[i].name, rows[i].name);
    EXPECT_EQ(gsd.modules[i].reference, static_cast<long long>(i) + 1);
    int format = rows[i].scope == "OUTPUT" ? 0x43 : rows[i].scope == "INPUT" ? 0x83 : 0x03;
    EXPECT_EQ(gsd.modules[i].identifier.front(), format) << i;
    EXPECT_EQ(gsd.modules[i].identifier.back(), (rows[i].address >> 8) & 0xFF) << i;
  }
  EXPECT_EQ(gsd.keywords["Vendor_Name"], "Corvane Instruments Ltd");
  EXPECT_EQ(gsd.keywords["Model_Name"], "Velantor");

  CanopenFile canopen = Canopen();
  EXPECT_EQ(canopen.sections["MANUFACTUREROBJECTS"]["SUPPORTEDOBJECTS"], "1000");
  EXPECT_EQ(canopen.sections["2065"]["PARAMETERNAME"], "Item 0");
  EXPECT_EQ(canopen.sections["2065"]["ACCESSTYPE"], "ro");
}

TEST_F(GenerateFieldbusFilesTest, ATableOfOnlySettingRows) {
  ASSERT_TRUE(Generate({{10, "Capacity", "SETTING", "REAL32", "kg", ""}, {11, "Mode", "SETTING", "BITS16", "", "A,B"}}));
  EdsFile eds = EthernetIp();
  EXPECT_EQ(Field(eds.sections["Params"]["Param2"], 6), "Mode");
  EXPECT_EQ(Field(eds.sections["Params"]["Param3"], 6), "RPI range");
  for (const char* assembly : {"Assem150", "Assem100"}) {
    EXPECT_EQ(Field(eds.sections["Assembly"][assembly], 2), "0") << assembly;
    EXPECT_TRUE(Members(eds.sections["Assembly"][assembly]).empty()) << assembly;
  }
  std::string profinet = Output(" Profinet.xml");
  EXPECT_EQ(profinet.find("ID_MODULE_INPUT_ADI"), std::string::npos);
  EXPECT_EQ(profinet.find("ID_MODULE_OUTPUT_ADI"), std::string::npos);
  EXPECT_EQ(Profibus().modules.size(), 2u);
  EXPECT_EQ(Canopen().sections["200C"]["PDOMAPPING"], "0");
}

TEST_F(GenerateFieldbusFilesTest, SpecialCharactersStayInsideTheirTexts) {
  std::vector<Row> rows = {
      {10, "Tare <\"A\"> & co", "INPUT", "BITS16", "\"kg\"", "Run \"fast\",C:\\dir\\"},
      {11, "Path C:\\units\\", "OUTPUT", "REAL32", "a\tb", ""},
  };
  ASSERT_TRUE(Generate(rows));
  EdsFile eds = EthernetIp();
  EXPECT_EQ(Field(eds.sections["Params"]["Param1"], 6), rows[0].name);
  EXPECT_EQ(Field(eds.sections["Params"]["Param1"], 7), rows[0].units);
  EXPECT_EQ(eds.sections["Params"]["Enum1"].fields,
            (std::vector<std::string>{"0", "Run \"fast\"", "1", "C:\\dir\\"}));
  EXPECT_EQ(Field(eds.sections["Params"]["Param2"], 6), rows[1].name);
  EXPECT_EQ(Field(eds.sections["Params"]["Param2"], 7), "a b");
  GsdFile gsd = Profibus();
  ASSERT_EQ(gsd.modules.size(), 2u);
  EXPECT_EQ(gsd.modules[0].name, "Tare <'A'> & co");
  CanopenFile canopen = Canopen();
  EXPECT_EQ(canopen.sections["200B"]["PARAMETERNAME"], rows[0].name);
}

TEST_F(GenerateFieldbusFilesTest, SerialNumbersTheProfibusModulesFromOneInEveryCall) {
  std::vector<Row> rows = ManyRows(3);
  for (int call = 0; call < 2; ++call) {
    ASSERT_TRUE(Generate(rows));
    GsdFile gsd = Profibus();
    ASSERT_EQ(gsd.modules.size(), 3u);
    for (long long i = 0; i < 3; ++i) EXPECT_EQ(gsd.modules[i].reference, i + 1) << "call " << call;
  }
}

TEST_F(GenerateFieldbusFilesTest, ATableThatCannotBeReadWritesNothing) {
  EXPECT_FALSE(GenerateFieldbusFiles(String::Copy(Path("absent.csv"))));
  EXPECT_TRUE(console.Said(Path("absent.csv") + " not found")) << console.Text();
  Write("bad.csv", "Data Name,Scope\r\n1,a\r\n");
  EXPECT_FALSE(GenerateFieldbusFiles(String::Copy(Path("bad.csv"))));
  EXPECT_EQ(Listing(), std::vector<std::string>{"bad.csv"});
  EXPECT_FALSE(console.Said("generating"));
}

// The four files go in as one set: when one cannot take its place, the ones already
// put in are taken back, and every file is as it was, the older ones included.
TEST_F(GenerateFieldbusFilesTest, AFileThatCannotTakeItsPlaceChangesNoFile) {
  for (const char* suffix : {" EthernetIP.EDS", " Profinet.xml", " CANopen.eds"}) {
    Write(std::string(Stem) + suffix, std::string("older") + suffix);
  }
  // A folder with the output's name cannot be replaced by the finished file.
  std::filesystem::create_directories(Path(std::string(Stem) + " Profibus.gsd/inside"));
  Write(std::string(Stem) + ".csv", TableText(ManyRows(3)));
  std::vector<std::string> before = Listing();
  EXPECT_FALSE(GenerateFieldbusFiles(String::Copy(Path(std::string(Stem) + ".csv"))));
  EXPECT_NE(console.Text().find("GenerateFieldbusFiles cannot write " + Path(std::string(Stem) + " Profibus.gsd") +
                           ": Is a directory"),
            std::string::npos)
      << console.Text();
  EXPECT_EQ(Listing(), before);
  for (const char* suffix : {" EthernetIP.EDS", " Profinet.xml", " CANopen.eds"}) {
    EXPECT_EQ(Output(suffix), std::string("older") + suffix);
  }
  EXPECT_EQ(std::string(LastFieldbusRefusal().View()),
            "cannot write " + Path(std::string(Stem) + " Profibus.gsd") + ": no file has changed");
}

// What somebody left in the files' way is never written through nor removed: a link
// planted under a file's working name still points at its own file, unchanged, and a
// FIFO in a file's place stays (with every file as it was).
TEST_F(GenerateFieldbusFilesTest, ALinkOrAFifoInTheWayIsLeftAsItIs) {
  Write("victim.txt", "keep");
  std::filesystem::create_symlink(Path("victim.txt"), Path(std::string(Stem) + " CANopen.eds.000"));
  ASSERT_TRUE(Generate(ManyRows(3)));
  EXPECT_EQ(Read("victim.txt"), "keep");
  EXPECT_FALSE(Canopen().sections.empty());

  if (!MakeFifo(Path(std::string(Stem) + " Profinet.xml.fifo"))) GTEST_SKIP() << "no FIFOs on this system";
  std::filesystem::remove(Path(std::string(Stem) + " Profinet.xml"));
  std::filesystem::rename(Path(std::string(Stem) + " Profinet.xml.fifo"), Path(std::string(Stem) + " Profinet.xml"));
  std::string before = Output(" Profibus.gsd");
  EXPECT_FALSE(Generate(ManyRows(4)));
  EXPECT_TRUE(std::filesystem::is_fifo(Path(std::string(Stem) + " Profinet.xml")));
  EXPECT_NE(console.Text().find("GenerateFieldbusFiles cannot write " + Path(std::string(Stem) + " Profinet.xml") +
                           ": it is no regular file"),
            std::string::npos)
      << console.Text();
  EXPECT_EQ(Output(" Profibus.gsd"), before) << "the set changes as one or not at all";
}

// The files are handed to PLC engineers: they follow the umask like any document.
TEST_F(GenerateFieldbusFilesTest, TheFilesAreDocumentsTheUmaskGoverns) {
  mode_t saved = umask(022);
  for (auto [mask, mode] : {std::pair<mode_t, mode_t>{022, 0644}, {002, 0664}, {077, 0600}}) {
    umask(mask);
    ASSERT_TRUE(Generate(ManyRows(3)));
    for (const std::string& name : Listing()) {
      if (name.size() > 4 && name.substr(name.size() - 4) == ".csv") continue;
      struct stat status;
      ASSERT_EQ(stat(Path(name).c_str(), &status), 0) << name;
      EXPECT_EQ(status.st_mode & 0777, mode) << name << " under umask " << std::oct << mask;
    }
  }
  umask(saved);
}

// The copy under the standard's name is an extra: when it cannot be written that is
// reported, and the four files stand.
TEST_F(GenerateFieldbusFilesTest, AGsdmlCopyThatFailsIsReportedAndChangesNothingElse) {
  std::filesystem::create_directories(Path(std::string(GsdmlFileName) + "/inside"));
  EXPECT_TRUE(Generate(ManyRows(3)));
  EXPECT_NE(console.Text().find("GenerateFieldbusFiles cannot write " + Path(GsdmlFileName) + ": Is a directory"),
            std::string::npos)
      << console.Text();
  EXPECT_EQ(Profibus().modules.size(), 3u);
  for (const std::string& name : Listing()) EXPECT_EQ(name.find(".00"), std::string::npos) << name;
}

TEST_F(GenerateFieldbusFilesTest, AFileThatCannotBeCreatedEndsTheProgram) {
  std::filesystem::create_directories(Path(std::string(Stem) + " Profibus.gsd.000"));
  std::vector<Row> rows = ManyRows(3);
  EXPECT_EXIT(Generate(rows), testing::ExitedWithCode(1), "Fatal error: Is a directory");
  // The files begun before it are gone: only the table and the obstacle remain.
  EXPECT_EQ(Listing(), (std::vector<std::string>{std::string(Stem) + " Profibus.gsd.000", std::string(Stem) + ".csv"}));
}

// ---- the PROFINET file against the GSDML schema ----

class GsdmlSchemaTest : public GenerateFieldbusFilesTest {
 protected:
  void SetUp() override {
    GenerateFieldbusFilesTest::SetUp();
    ASSERT_TRUE(std::filesystem::exists(SchemaPath())) << SchemaPath();
    REQUIRE_XMLLINT();
  }

  void ExpectValid() {
    auto [output, status] = RunCommand("xmllint --noout --nonet --schema '" + SchemaPath() + "' '" +
                                Path(std::string(Stem) + " Profinet.xml") + "'");
    EXPECT_EQ(status, 0) << output;
  }
  // The attribute value as an XML reader gives it back.
  std::string TextValue(const std::string& textId) {
    std::string file = Path(std::string(Stem) + " Profinet.xml");
    std::string query = "string(//*[local-name()='Text'][@TextId='" + textId + "']/@Value)";
    std::string value = RunCommand("xmllint --xpath \"" + query + "\" '" + file + "'").first;
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }
};

TEST_F(GsdmlSchemaTest, EveryKindOfTableGivesAValidFile) {
  struct Case {
    const char* what;
    std::vector<Row> rows;
  };
  for (const auto& [what, rows] : {
           Case{"a thousand rows", ManyRows(1000)},
           Case{"no rows", {}},
           Case{"only settings", {{10, "Capacity", "SETTING", "REAL32", "kg", "A"}}},
           Case{"special characters",
                {{10, "Tare <\"A\"> & 'co'", "OUTPUT", "BITS16", "", "<b>,d \"e\" & f"},
                 {11, "x\x01y", "INPUT", "BOOL", "", ""}}},
       }) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(Generate(rows));
    ExpectValid();
  }
  EXPECT_EQ(TextValue("T_MODULE_INPUT_ADI10"), "Tare <\"A\"> & 'co'");
  EXPECT_EQ(TextValue("T_BIT_ADI10_1"), "d \"e\" & f");
  EXPECT_EQ(TextValue("T_MODULE_OUTPUT_ADI11"), "x y");
}

}  // namespace
