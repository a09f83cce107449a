// The quarnet-fieldbus program as an engineer runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fieldbus/generate_fieldbus_files.h"
#include "fieldbus/table_fixture_test.h"
#include "testing/program_run.h"

namespace {

class QuarnetFieldbusTest : public TableFixture {
 protected:
  ProgramRun Run(const std::string& arguments) const {
    return RunProgram(folder.Path(), "'" QUARNET_FIELDBUS_PROGRAM "' " + arguments);
  }
};

TEST_F(QuarnetFieldbusTest, GeneratesFromATableNamedOnTheCommandLine) {
  Write("unit table.csv", std::string(TableHeader) + "4660,Weight,OUTPUT,4,REAL32,0,1,0,0,kg,\r\n");
  ProgramRun result = Run("'unit table.csv'");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  for (const char* line : {"generating Ethernet/IP configuration: unit table EthernetIP.EDS",
                           "generating Profinet configuration: unit table Profinet.xml",
                           "generating Profibus configuration: unit table Profibus.gsd",
                           "generating CANopen configuration: unit table CANopen.eds", "Fieldbus files generated"}) {
    EXPECT_NE(result.output.find(line), std::string::npos) << line << " in " << result.output;
  }
  EXPECT_EQ(Read("unit table Profinet.xml"), Read(GsdmlFileName));
  EXPECT_FALSE(Read("unit table CANopen.eds").empty());
}

TEST_F(QuarnetFieldbusTest, FailuresExitWithOneAndSayWhy) {
  Write("bad.csv", "Data Name\r\nx\r\n");
  struct Case {
    const char* arguments;
    const char* message;
  };
  for (auto [arguments, message] : {
           Case{"", "usage: quarnet-fieldbus TABLE.csv"},
           Case{"a.csv b.csv", "usage: quarnet-fieldbus TABLE.csv"},
           Case{"absent.csv", "absent.csv not found"},
           Case{"bad.csv", "Unable to generate fieldbus files"},
       }) {
    ProgramRun result = Run(arguments);
    EXPECT_EQ(result.exitCode, 1) << arguments;
    EXPECT_NE(result.output.find(message), std::string::npos) << arguments << ": " << result.output;
  }
  EXPECT_FALSE(std::filesystem::exists(Path("bad EthernetIP.EDS")));
}

}  // namespace
