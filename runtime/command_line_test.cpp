#include "runtime/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/ini_file.h"
#include "runtime/command_line_fixture.h"
#include "runtime/program_state.h"
#include "testing/temporary_folder.h"

namespace {

std::vector<std::string> Items() {
  std::vector<std::string> items;
  for (int i = 0; i < ArgCount; ++i) items.emplace_back(ArgList[i]);
  return items;
}

TEST(SplitCommandLine, Items) {
  using Items_ = std::vector<std::string>;
  struct Case {
    const char* text;
    Items_ expected;
  };
  const Case cases[] = {
      {"prog", {"prog"}},
      {"prog  a   b", {"prog", "a", "b"}},
      {"prog a   ", {"prog", "a"}},
      {"prog \"with space\" x", {"prog", "with space", "x"}},
      {"prog \"\" x", {"prog", "", "x"}},
      {"prog \"a\"b", {"prog", "a", "b"}},
      {"prog a\"b c", {"prog", "a\"b", "c"}},
      {"prog \"open to end", {"prog", "open to end"}},
      {"prog a\tb", {"prog", "a\tb"}},
  };
  for (const Case& c : cases) {
    SplitCommandLine(c.text);
    EXPECT_EQ(Items(), c.expected) << c.text;
    EXPECT_EQ(ArgList[ArgCount], nullptr);
  }
}

TEST(SplitCommandLine, BuildThenSplitGivesTheArgumentsBack) {
  const char* argv[] = {"ignored", "-d", "a job.ini", "", "COM3"};
  SplitCommandLine(BuildCommandLine("/opt/q/quarnet", 5, argv).c_str());
  EXPECT_EQ(Items(), (std::vector<std::string>{"/opt/q/quarnet", "-d", "a job.ini", "", "COM3"}));
}

TEST(SplitCommandLine, OverlongLinesAreCutInsideTheBuffers) {
  std::string many = "prog";
  for (int i = 0; i < 400; ++i) many += " a";
  SplitCommandLine(many.c_str());
  EXPECT_EQ(ArgCount, MaxArguments);

  std::string longItem = "prog " + std::string(5000, 'x');
  SplitCommandLine(longItem.c_str());
  EXPECT_EQ(ArgCount, 2);
  EXPECT_EQ(std::string(ArgList[1]).size(), size_t{CommandLineSize - 1 - 5});
}

TEST_F(Options, NoArguments) {
  Read("prog");
  EXPECT_EQ(PortNumber, 0);
  EXPECT_TRUE(JobFile.Empty());
  EXPECT_FALSE(DebugOn);
  EXPECT_FALSE(DetailedDebugOn);
  EXPECT_EQ(BaudRate, 19200u);
  EXPECT_FALSE(EvenParity);
}

TEST_F(Options, Items) {
  struct Case {
    const char* text;
    bool debug, detailed;
    int port;
    const char* job;
  };
  const Case cases[] = {
      {"prog COM12", false, false, 12, ""},
      {"prog com12", false, false, 12, ""},
      {"prog 12", false, false, 12, ""},
      {"prog COM", false, false, 0, "COM"},
      {"prog job.ini", false, false, 0, "job.ini"},
      {"prog first.ini second.ini", false, false, 0, "second.ini"},
      {"prog -d", true, false, 0, ""},
      {"prog -dd", true, true, 0, ""},
      {"prog /DD", true, true, 0, ""},
      {"prog +dD", true, true, 0, ""},
      {"prog -d -d", true, false, 0, ""},
      {"prog -ddd", true, true, 0, ""},
      {"prog \"\"", false, false, 0, ""},
      {"prog -d /tmp/job.ini 7", true, false, 7, "/tmp/job.ini"},
      {"prog /job.ini", false, false, 0, "/job.ini"},
  };
  for (const Case& c : cases) {
    SetUp();
    Read(c.text);
    EXPECT_EQ(DebugOn, c.debug) << c.text;
    EXPECT_EQ(DetailedDebugOn, c.detailed) << c.text;
    EXPECT_EQ(PortNumber, c.port) << c.text;
    EXPECT_EQ(JobFile.View(), c.job) << c.text;
  }
}

using OptionsDeathTest = Options;

TEST_F(OptionsDeathTest, BadLetterPrintsUsageAndEnds) {
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Read("prog -x");
      },
      ::testing::ExitedWithCode(1),
      "Usage: Quarnet \\[options\\] \\[Filename\\] \\[\\[COM\\]<port>\\]\r?\n\r?\n"
      "-d           Debug on\r?\n-dd          Detailed Debug on \\(shows com data\\)\r?\n"
      "Fatal Error: Incorrect arguments");

  TemporaryFolder folder("options");
  std::string job = folder.Path("job.ini");
  std::string text = "prog " + job + " -x";
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Read(text.c_str());
      },
      ::testing::ExitedWithCode(2), "Incorrect arguments");
  EXPECT_EQ(ReadIni(String::Copy(job), "Message"), "Incorrect arguments");
}

// The program checks the items before it starts; read without that check, a port that
// is none still ends as a usage error.
TEST_F(OptionsDeathTest, APortThatIsNoneEndsAsAUsageError) {
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Read("prog COM65543");
      },
      ::testing::ExitedWithCode(1), "COM65543 is not a port: .*\r?\nUsage: Quarnet .*Fatal Error: Incorrect arguments");
}

}  // namespace
