#include "runtime/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "runtime/console_streams.h"
#include "testing/console_capture.h"
#include "testing/special_files.h"
#include "testing/temporary_folder.h"

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    job = String::Copy(folder.Path("job.ini"));
  }

  void Write(const std::string& content) const { folder.Write("job.ini", content); }
  std::string Read(const std::string& relative = "job.ini") const { return folder.Read(relative); }

  TemporaryFolder folder{"ini"};
  String job;
  ConsoleCapture console;
};

TEST_F(IniFileTest, KeysMatchExactlyAndValuesAreTheRestOfTheLine) {
  Write("Port=COM3\r\n Key=spaced\r\nkey=lower\r\nEmpty=\r\nAlone\r\nKey=a=b\r\nKey=second\r\nLast=end");
  struct Case {
    const char* key;
    const char* value;
  };
  for (auto [key, value] : {Case{"Port", "COM3"},
                            Case{"Key", "a=b"},
                            Case{" Key", "spaced"},
                            Case{"key", "lower"},
                            Case{"Empty", ""},
                            Case{"Alone", ""},
                            Case{"Last", "end"},
                            Case{"Missing", ""}}) {
    EXPECT_EQ(ReadIni(job, String::Constant(key)), std::string_view(value)) << key;
  }
  EXPECT_TRUE(ReadIni(String::Copy(folder.Path("absent.ini")), "Port").Empty());
  EXPECT_EQ(folder.Listing(), std::vector<std::string>{"job.ini"});
}

TEST_F(IniFileTest, WritingCreatesTheFileAndItsFolder) {
  String nested = String::Copy(folder.Path("jobs/run.ini"));
  WriteIni(nested, "Message", "Update complete");
  EXPECT_EQ(Read("jobs/run.ini"), "Message=Update complete\r\n");
  EXPECT_EQ(ReadIni(nested, "Message"), "Update complete");
  EXPECT_EQ(folder.Listing(), std::vector<std::string>{"jobs"});
  EXPECT_TRUE(console.Text().empty()) << console.Text();
}

// Every line of the key is replaced in place, other lines are copied as they are
// (with CR LF), a key line that only resembles the key stays, and no temporary
// file remains.
TEST_F(IniFileTest, WritingReplacesInPlaceOrAppends) {
  Write("[Job]\r\nMessage=old\r\n Message=not me\nPort=COM3\r\nMessage=again\r\n\r\nTail");
  WriteIni(job, "Message", "new");
  EXPECT_EQ(Read(), "[Job]\r\nMessage=new\r\n Message=not me\r\nPort=COM3\r\nMessage=new\r\n\r\nTail\r\n");
  WriteIni(job, "Result", "0");
  EXPECT_EQ(Read(),
            "[Job]\r\nMessage=new\r\n Message=not me\r\nPort=COM3\r\nMessage=new\r\n\r\nTail\r\nResult=0\r\n");
  EXPECT_EQ(folder.Listing(), std::vector<std::string>{"job.ini"});
}

// Job files written by Linux tools (LF), Windows tools (CR LF) and old Mac ones (CR)
// keep their keys apart; the file keeps its permissions.
TEST_F(IniFileTest, EveryKindOfLineEndKeepsItsKeys) {
  for (const char* end : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(end == std::string("\n") ? "LF" : end == std::string("\r") ? "CR" : "CR LF");
    Write(std::string("Station=3") + end + end + "Operator=ann" + end);
    std::filesystem::permissions(folder.Path("job.ini"), std::filesystem::perms(0644));
    EXPECT_EQ(ReadIni(job, "Station"), "3");
    EXPECT_EQ(ReadIni(job, "Operator"), "ann");
    WriteIni(job, "Message", "done");
    EXPECT_EQ(Read(), "Station=3\r\n\r\nOperator=ann\r\nMessage=done\r\n");
    EXPECT_EQ(std::filesystem::status(folder.Path("job.ini")).permissions(), std::filesystem::perms(0644));
  }
}

TEST_F(IniFileTest, TypedValues) {
  WriteIniBoolean(job, "On", true);
  WriteIniBoolean(job, "Off", false);
  WriteIniInteger(job, "Negative", -123456789012);
  WriteIniBytes(job, "Bytes", String::Copy(std::string_view("\x00\xFF\x1a", 3)));
  EXPECT_EQ(Read(), "On=true\r\nOff=false\r\nNegative=-123456789012\r\nBytes=00FF1A\r\n");
  EXPECT_TRUE(ReadIniBoolean(job, "On"));
  EXPECT_FALSE(ReadIniBoolean(job, "Off"));
  EXPECT_EQ(ReadIniInteger(job, "Negative"), -123456789012);
  EXPECT_EQ(ReadIniBytes(job, "Bytes"), String::Copy(std::string_view("\x00\xFF\x1a", 3)));

  Write("a=TRUE\r\nb=True\r\nc=1\r\nd=yes\r\ne=0\r\nf=truex\r\ng=\r\nn= -42x\r\nh=0aFf\r\nr=-2.5E3\r\n");
  for (const char* key : {"a", "b", "c"}) EXPECT_TRUE(ReadIniBoolean(job, String::Constant(key))) << key;
  for (const char* key : {"d", "e", "f", "g", "missing"}) EXPECT_FALSE(ReadIniBoolean(job, String::Constant(key))) << key;
  EXPECT_EQ(ReadIniInteger(job, "n"), -42);
  EXPECT_EQ(ReadIniBytes(job, "h"), String::Copy(std::string_view("\x0a\xff", 2)));
  EXPECT_EQ(ReadIniReal(job, "r"), -2500.0);
}

TEST_F(IniFileTest, RealsReadBackAsWritten) {
  for (double value : {0.0, 2.5, -0.001, 123456.789, 1e-20}) {
    WriteIniReal(job, "Value", value);
    EXPECT_EQ(ReadIniReal(job, "Value"), value) << Read();
  }
}

TEST_F(IniFileTest, QuietFormsDeleteAndNeverWrite) {
  Write("A=1\r\nB=2\r\nA=3\r\n");
  EXPECT_TRUE(DeleteIniQuietly(job, "A"));
  EXPECT_EQ(Read(), "B=2\r\n");
  EXPECT_TRUE(WriteIniQuietly(job, "C", "x"));
  EXPECT_EQ(ReadIniQuietly(job, "C"), "x");
  String absent = String::Copy(folder.Path("absent.ini"));
  EXPECT_TRUE(DeleteIniQuietly(absent, "A"));
  EXPECT_FALSE(std::filesystem::exists(folder.Path("absent.ini")));

  std::filesystem::remove(folder.Path("job.ini"));
  std::filesystem::create_directory(folder.Path("job.ini"));
  EXPECT_TRUE(ReadIniQuietly(job, "C").Empty());
  EXPECT_TRUE(console.Text().empty()) << console.Text();
}

void ConsoleToStandardError() { InstallConsoleSink([](uint8_t c) { [[maybe_unused]] auto n = write(2, &c, 1); }); }

using IniFileDeathTest = IniFileTest;

// What a careless writer's temporary file would be called is planted as a link to a
// file of someone else's: it stays as it was, and the job file is written.
TEST_F(IniFileTest, APlantedTemporaryLinkIsNeverWrittenThrough) {
  Write("Message=old\r\n");
  folder.Write("precious", "keep me");
  std::filesystem::create_symlink(folder.Path("precious"), folder.Path("job.ini.000"));
  WriteIni(job, "Message", "new");
  EXPECT_EQ(Read(), "Message=new\r\n");
  EXPECT_EQ(Read("precious"), "keep me");
}

// A name that stands for no regular file is never opened and never replaced: the
// quiet writer says why, the loud one ends the program with it.
TEST_F(IniFileDeathTest, WhatIsNoRegularFileIsLeftAsItIs) {
  std::filesystem::create_directory(folder.Path("job.ini"));
  folder.Write("job.ini/inside", "kept");
  if (!MakeFifo(folder.Path("fifo.ini"))) GTEST_SKIP() << "no FIFOs on this system";
  const std::string notAFile = ": it is not a regular file (a device, a FIFO, a socket or a folder) and was left as it is";
  for (const std::string& name : {folder.Path("job.ini"), folder.Path("fifo.ini")}) {
    String fault;
    EXPECT_FALSE(WriteIniQuietly(String::Copy(name), "Message", "new", &fault));
    EXPECT_EQ(std::string(fault.View()), "Cannot write file " + name + notAFile);
    EXPECT_TRUE(ReadIniQuietly(String::Copy(name), "Message").Empty());
    EXPECT_EXIT((ConsoleToStandardError(), WriteIni(String::Copy(name), "Message", "new")),
                ::testing::ExitedWithCode(1), "Fatal Error: Cannot write file " + name);
  }
  EXPECT_EQ(Read("job.ini/inside"), "kept");
  EXPECT_TRUE(std::filesystem::is_fifo(folder.Path("fifo.ini")));
}

}  // namespace
