// The quarnet-fieldbus program as an engineer runs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

#include "fieldbus/generate_fieldbus_files.h"
#include "fieldbus/table_fixture.h"
#include "testing/program_run.h"

namespace {

struct Result {
  std::string output;  // standard output and standard error
  int exitCode;
};

class QuarnetFieldbusTest : public TableFixture {
 protected:
  Result Run(const std::string& arguments) const {
    ProgramRun run = RunProgram(folder.Path(), "'" QUARNET_FIELDBUS_PROGRAM "' " + arguments);
    return Result{run.output, run.exitCode};
  }
};

TEST_F(QuarnetFieldbusTest, GeneratesFromATableNamedOnTheCommandLine) {
  Write("unit table.csv", std::string(TableHeader) + "4660,Weight,OUTPUT,4,REAL32,0,1,0,0,kg,\r\n");
  Result result = Run("'unit table.csv'");
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
  Write("zero.csv", std::string(TableHeader) + "1,a,INPUT,2,BOOL,0,1,0,0,,\r\n0,b,INPUT,2,BOOL,0,1,0,0,,\r\n");
  struct Case {
    const char* arguments;
    const char* message;
  };
  for (auto [arguments, message] : {
           Case{"", "usage: quarnet-fieldbus TABLE.csv"},
           Case{"a.csv b.csv", "usage: quarnet-fieldbus TABLE.csv"},
           Case{"absent.csv", "absent.csv not found"},
           Case{"bad.csv", "Unable to generate fieldbus files"},
           Case{"bad.csv", "bad.csv line 1: the header lacks DATA ADDRESS, SCOPE, SIZE"},
           Case{"zero.csv", "zero.csv line 3, DATA ADDRESS: 0 is below 1"},
           Case{"zero.csv", "Unable to generate fieldbus files"},
       }) {
    Result result = Run(arguments);
    EXPECT_EQ(result.exitCode, 1) << arguments;
    EXPECT_NE(result.output.find(message), std::string::npos) << arguments << ": " << result.output;
  }
  EXPECT_FALSE(std::filesystem::exists(Path("bad EthernetIP.EDS")));
  EXPECT_FALSE(std::filesystem::exists(Path("zero EthernetIP.EDS")));
}

// The help says what a table must hold and what is refused, and answers at once.
TEST_F(QuarnetFieldbusTest, HelpSaysWhatATableMustHold) {
  Result result = Run("--help");
  EXPECT_EQ(result.exitCode, 0);
  for (const char* text : {"Usage: quarnet-fieldbus TABLE.csv", "DATA ADDRESS     a whole decimal number from 1 to 16382",
                           "each address once", "OUTPUT, INPUT, SETTING or GLOBAL", "BOOL, SIGNED32, BITS16 or REAL32",
                           "lines without text are skipped", "Anything else is refused",
                           "no file changes"}) {
    EXPECT_NE(result.output.find(text), std::string::npos) << text;
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
