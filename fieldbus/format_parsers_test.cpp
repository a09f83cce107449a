// The test parsers of the description formats, against public files of each format
// and against the faults each must find.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fieldbus/canopen_parser_test_support.h"
#include "fieldbus/eds_parser_test_support.h"
#include "fieldbus/gsd_parser_test_support.h"
#include "fieldbus/gsdml_parser_test_support.h"

namespace {

// A public sample of the format (fieldbus/testdata); a missing file fails the test.
std::string SampleText(const std::string& name) {
  std::ifstream file(std::string(QUARNET_TESTDATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(file.is_open()) << "missing sample " << name;
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

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
           "[Device]\n  Name = \"caf\xC3\xA9\";\n",
           "[Device]\n  Name = caf\xE9;\n",
       }) {
    EdsFile parsed;
    EXPECT_FALSE(ParseEds(broken, parsed, error)) << broken;
  }
}

// The sample's syntax only: its own object lists miscount.
TEST(CanopenParserTest, ReadsThePublicSample) {
  std::string error;
  CanopenFile canopen;
  EXPECT_TRUE(ParseCanopenEds(SampleText("canopen_e35.eds"), canopen, error)) << error;
  EXPECT_EQ(canopen.sections["1018SUB1"]["PARAMETERNAME"], "Vendor-ID");
}

// What PLC tools read of the parameters, assemblies and connections: each change
// puts one value beyond the field it fills.
TEST(EdsParserTest, ParameterChecksFindValuesBeyondTheirFields) {
  auto parameter = [](const std::string& type, const std::string& size, const std::string& limits,
                      const std::string& decimals) {
    return "0,7,\"20 A2 25 01 00 30 05\",0x0000," + type + "," + size + ",\"n\",\"u\",\"\"," + limits +
           ",,,,,,,,," + decimals + ";\n";
  };
  auto eds = [&](const std::string& param1, const std::string& enum1, const std::string& assembly,
                 const std::string& connectionSize) {
    return "[Params]\nParam1 = " + param1 + "Param2 = " + parameter("0xC8", "4", "1000,3200000,10000", "") +
           enum1 + "[Assembly]\nAssem100 = \"P\",\"\"," + assembly + ";\n[Connection Manager]\nConnection1 = 0,0,Param2," +
           connectionSize + ",Assem100,Param2,0,Assem100,,,,,\"n\",\"\",\"\";\n";
  };
  const std::string good = eds(parameter("0xD2", "2", "0x0000,0xFFFF,0x0003", "2"),
                               "Enum1 = 0,\"a\",15,\"b\";\n", "2,0x0000,,,16,Param1", "2");
  std::string error;
  EdsFile file;
  ASSERT_TRUE(ParseEds(good, file, error) && CheckEdsParameters(file, error)) << error;
  for (const std::string& broken : {
           eds(parameter("0xD2", "2", "0x0000,0x10000,0x0003", "2"), "", "2,0x0000,,,16,Param1", "2"),
           eds(parameter("0xC4", "4", "-2147483649,0,0", "2"), "", "4,0x0000,,,32,Param1", "4"),
           eds(parameter("0xCA", "4", "0,++++,0", "2"), "", "4,0x0000,,,32,Param1", "4"),
           eds(parameter("0xC1", "1", "0,1,2", "2"), "", "1,0x0000,,,8,Param1", "1"),
           eds(parameter("0xD2", "256", "0,1,0", "2"), "", "2,0x0000,,,16,Param1", "2"),
           eds(parameter("0xD2", "2", "0,1,0", "-1"), "", "2,0x0000,,,16,Param1", "2"),
           eds(parameter("0xD2", "2", "0,1,0", "2"), "Enum1 = 16,\"c\";\n", "2,0x0000,,,16,Param1", "2"),
           eds(parameter("0xD2", "2", "0,1,0", "2"), "", "65536,0x0000,,,16,Param1", "2"),
           eds(parameter("0xD2", "2", "0,1,0", "2"), "", "4,0x0000,,,16,Param1", "2"),
           eds(parameter("0xD2", "2", "0,1,0", "2"), "", "2,0x0000,,,16,Param9", "2"),
           eds(parameter("0xD2", "2", "0,1,0", "2"), "", "2,0x0000,,,16,Param1", "65536"),
           eds("0,7;\n", "", "2,0x0000,,", "2"),
       }) {
    EdsFile parsed;
    EXPECT_FALSE(ParseEds(broken, parsed, error) && CheckEdsParameters(parsed, error)) << broken;
  }
}

TEST(CanopenParserTest, FaultsAreFound) {
  const std::string head = "[FileInfo]\nFileName=x\n[DeviceInfo]\nVendorName=v\n[MandatoryObjects]\nSupportedObjects=1\n1=0x1000\n";
  const std::string object = "[1000]\nParameterName=a\nObjectType=0x7\nDataType=0x0007\nAccessType=ro\nPDOMapping=0\n";
  std::string error;
  CanopenFile file;
  ASSERT_TRUE(ParseCanopenEds(head + object, file, error)) << error;
  ASSERT_TRUE(CheckCanopenObjects(file, error)) << error;
  for (const std::string& broken : {
           head,
           head + object + "[2001]\nParameterName=b\nObjectType=0x7\nDataType=0x7\nAccessType=rw\n",
           head + "[1000]\nParameterName=a\nObjectType=0x7\nDataType=0x0007\nAccessType=readable\n",
           head + object + "[ManufacturerObjects]\nSupportedObjects=2\n1=0x1000\n",
           head + "[1000]\nParameterName=a\nObjectType=0x9\nSubNumber=2\n[1000sub0]\nParameterName=n\n"
                  "DataType=0x5\nAccessType=ro\n",
           head + object + "ParameterName=again\n",
           head + object + "no key\n",
           head + object + "[ManufacturerObjects]\nSupportedObjects=1\n1=0x6000\n"
                           "[6000]\nParameterName=b\nObjectType=0x7\nDataType=0x7\nAccessType=rw\n",
           head + "[1000]\nParameterName= ;a\nObjectType=0x7\nDataType=0x0007\nAccessType=ro\n",
           head + "[1000]\nParameterName=caf\xC3\xA9\nObjectType=0x7\nDataType=0x0007\nAccessType=ro\n",
           head + "[1000]\nParameterName=a\x01\nObjectType=0x7\nDataType=0x0007\nAccessType=ro\n",
       }) {
    CanopenFile parsed;
    EXPECT_FALSE(ParseCanopenEds(broken, parsed, error) && CheckCanopenObjects(parsed, error)) << broken;
  }
  // A ';' ends the value for CANopen readers.
  CanopenFile commented;
  ASSERT_TRUE(ParseCanopenEds(head + "[1000]\nParameterName=Tare; net\n", commented, error)) << error;
  EXPECT_EQ(commented.sections["1000"]["PARAMETERNAME"], "Tare");
}

TEST(GsdParserTest, ReadsThePublicSample) {
  std::string error;
  GsdFile gsd;
  EXPECT_TRUE(ParseGsd(SampleText("profirust_mock.gsd"), gsd, error)) << error;
  EXPECT_EQ(gsd.modules.size(), 2u);
}

TEST(GsdParserTest, FaultsAreFound) {
  const std::string good =
      "#Profibus_DP\nVendor_Name = \"V\" ; x\nModule = \"M\" 0x43,0xC1,0x00,0x34,0x12\n1\nEndModule\n";
  std::string error;
  GsdFile file;
  ASSERT_TRUE(ParseGsd(good, file, error)) << error;
  ASSERT_EQ(file.modules.size(), 1u);
  EXPECT_EQ(file.modules[0].identifier, (std::vector<int>{0x43, 0xC1, 0x00, 0x34, 0x12}));
  EXPECT_EQ(file.keywords["Vendor_Name"], "V");
  for (const char* broken : {
           "Vendor_Name = \"V\"\n",
           "#Profibus_DP\nVendor_Name = \"V\n",
           "#Profibus_DP\nModule = \"M \"x\" y\" 0x43\n1\nEndModule\n",
           "#Profibus_DP\nModule = \"M\" 0x43\nEndModule\n",
           "#Profibus_DP\nModule = \"M\" 0x43\n1\n",
           "#Profibus_DP\nModule = \"M\" 0x443\n1\nEndModule\n",
           "#Profibus_DP\nVendor_Name\n",
           "#Profibus_DP\nModule = \"M\" 0x43,0xC1\n1\nEndModule\n",
           "#Profibus_DP\nModule = \"M\" 0x03,0x00,0x01\n1\nEndModule\n",
           "#Profibus_DP\nModule = \"M\" 0x13,0x20\n1\nEndModule\nModule = \"N\" 0x13\n1\nEndModule\n",
           "#Profibus_DP\nModule = \"caf\xE9\" 0x13\n1\nEndModule\n",
       }) {
    GsdFile parsed;
    EXPECT_FALSE(ParseGsd(broken, parsed, error)) << broken;
  }
}

TEST(GsdmlParserTest, ReadsAValidFileAndFindsFaults) {
  auto gsdml = [](const std::string& identNumber, const std::string& bits, const std::string& texts) {
    return "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<!-- note -->\n<ISO15745Profile a='1'>"
           "<ModuleList><ModuleItem ID=\"ID_M\" ModuleIdentNumber=\"" + identNumber + "\">"
           "<VirtualSubmoduleList><VirtualSubmoduleItem ID=\"ID_S\"><IOData><Input>"
           "<DataItem DataType=\"Unsigned16\" TextId=\"T_E\">" + bits + "</DataItem>"
           "</Input></IOData></VirtualSubmoduleItem></VirtualSubmoduleList></ModuleItem></ModuleList>"
           "<UseableModules><ModuleItemRef ModuleItemTarget=\"ID_M\"/></UseableModules>"
           "<ExternalTextList>" + texts + "</ExternalTextList></ISO15745Profile>\n";
  };
  const std::string texts = "<Text TextId=\"T_E\" Value=\"a &amp; \xB0" "C &#x20AC; &#8364;\"/><Text TextId=\"T_B\" Value=\"b\"/>";
  const std::string bit = "<BitDataItem BitOffset=\"15\" TextId=\"T_B\"/>";
  std::string error;
  GsdmlFile file;
  ASSERT_TRUE(ParseGsdml(gsdml("0x00001234", bit, texts), file, error)) << error;
  EXPECT_EQ(file.texts["T_E"], "a & \xC2\xB0" "C \xE2\x82\xAC \xE2\x82\xAC");
  ASSERT_EQ(file.modules.size(), 1u);
  EXPECT_EQ(file.modules[0].direction, "Input");
  EXPECT_EQ(file.modules[0].bitOffsets, std::vector<long long>{15});
  for (const std::string& broken : {
           gsdml("0x00000000", bit, texts),
           gsdml("0x1234", bit, texts),
           gsdml("0x00001234", "<BitDataItem BitOffset=\"16\" TextId=\"T_B\"/>", texts),
           gsdml("0x00001234", bit + bit, texts),
           gsdml("0x00001234", "<BitDataItem BitOffset=\"1\" TextId=\"T_X\"/>", texts),
           gsdml("0x00001234", bit, texts + "<Text TextId=\"T_B\" Value=\"c\"/>"),
           gsdml("0x00001234", bit, "<Text TextId=\"T_E\" Value=\"a & b\"/><Text TextId=\"T_B\" Value=\"b\"/>"),
           gsdml("0x00001234", bit, "<Text TextId=\"T_E\" Value=\"a < b\"/><Text TextId=\"T_B\" Value=\"b\"/>"),
           gsdml("0x00001234", bit, "<Text TextId=\"T_E\" Value=\"a\x01\"/><Text TextId=\"T_B\" Value=\"b\"/>"),
           gsdml("0x00001234", bit, "<Text TextId=\"T_E\" Value=\"&#xFFFE;\"/><Text TextId=\"T_B\" Value=\"b\"/>"),
           gsdml("0x00001234", bit, texts + "<Text TextId=\"T_C\" Value=\"c\" Value=\"d\"/>"),
           gsdml("0x00001234", bit, texts + "<Text>"),
           gsdml("0x00001234", bit, texts) + "<Extra/>",
           gsdml("0x00001234", bit, texts + "<ModuleItem ID=\"ID_M\" ModuleIdentNumber=\"0x00000001\"/>"),
           std::string("<ISO15745Profile/>"),
       }) {
    GsdmlFile parsed;
    EXPECT_FALSE(ParseGsdml(broken, parsed, error)) << broken;
  }
}

}  // namespace
