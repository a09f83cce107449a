#include "runtime/log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/console_streams.h"
#include "runtime/ini_file.h"
#include "runtime/log_folder_fixture.h"
#include "runtime/program_state.h"
#include "testing/saved_variable.h"

namespace {

namespace fs = std::filesystem;

TEST(LogNames, OldFilesByMonthRule) {
  struct Case {
    const char* name;
    LocalDateTime now;
    bool old;
  };
  const Case cases[] = {
      {"2026-12-30 10-00-00.log", Date(2027, 3, 22), true},
      {"2026-12-30 10-00-00.log", Date(2027, 2, 22), false},
      {"2026-03-01 10-00-00.log", Date(2026, 5, 22), false},
      {"2026-02-28 10-00-00.log", Date(2026, 5, 22), true},
      {"2026-05-01 10-00-00.log", Date(2026, 5, 22), false},
      {"2026-07-01 10-00-00.log", Date(2026, 5, 22), true},  // from the future
      {"2026-01-15 10-00-00.log", Date(2026, 1, 22), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsOldLogName(String::Constant(c.name), c.now), c.old) << c.name;
}

TEST(LogNames, FileNameFromTheStartTime) {
  LocalDateTime now{26, 12, 8, 22, 57, 9};
  EXPECT_EQ(LogFileName("/x/LogFiles", now), "/x/LogFiles/2026-12-08 22-57-09.log");
}

// Where it was built the log sits beside the program; installed (its data in
// share/quarnet beside bin), the program's folder is nobody's to write in.
TEST_F(LogFolder, TheLogGoesBesideTheProgramUnlessItIsInstalled) {
  SavedVariable stateHome{"XDG_STATE_HOME", folder.Path("state")};
  SavedVariable home{"HOME"};
  fs::create_directories(folder.Path("build"));
  fs::create_directories(folder.Path("usr/bin"));
  fs::create_directories(folder.Path("usr/share/quarnet"));
  EXPECT_EQ(LogFolderFor(String::Copy(folder.Path("build/quarnet"))), folder.Path("build/LogFiles").c_str());
  String installed = LogFolderFor(String::Copy(folder.Path("usr/bin/quarnet")));
  EXPECT_EQ(installed, folder.Path("state/quarnet/LogFiles").c_str());
  PrepareLogAt(installed, LocalDateTime{26, 12, 8, 22, 57, 9});
  CloseLog();
  EXPECT_TRUE(Exists("state/quarnet/LogFiles/2026-12-08 22-57-09.log")) << "the folders above are made too";

  stateHome.Unset();
  home.Set("/home/operator");
  EXPECT_EQ(LogFolderFor(String::Copy(folder.Path("usr/bin/quarnet"))), "/home/operator/.local/state/quarnet/LogFiles");
}

TEST_F(LogFolder, CleanUpOnlyFromDay22AndNotUnderAnotherCopysLock) {
  Touch("2026-01-10 10-00-00.log");
  Touch("2026-05-10 10-00-00.log");
  Touch("notes.txt");
  fs::create_directory(folder.Path("2026-02-01 00-00-00.log"));

  PrepareLogAt(String::Copy(folder.Path()), Date(2026, 5, 21));
  CloseLog();
  EXPECT_TRUE(Exists("2026-01-10 10-00-00.log"));

  Touch("Cleanup.lck");
  PrepareLogAt(String::Copy(folder.Path()), Date(2026, 5, 22));
  CloseLog();
  EXPECT_TRUE(Exists("2026-01-10 10-00-00.log"));

  fs::remove(folder.Path("Cleanup.lck"));
  PrepareLogAt(String::Copy(folder.Path()), Date(2026, 5, 23));
  CloseLog();
  EXPECT_FALSE(Exists("2026-01-10 10-00-00.log"));
  EXPECT_TRUE(Exists("2026-05-10 10-00-00.log"));
  EXPECT_TRUE(Exists("notes.txt"));
  EXPECT_TRUE(Exists("2026-02-01 00-00-00.log"));
  EXPECT_FALSE(Exists("Cleanup.lck"));
  EXPECT_TRUE(console.Said("Deleting old log file: " + folder.Path("2026-01-10 10-00-00.log") + "\r\n"));
}

TEST_F(LogFolder, HeaderAndLineStamps) {
  const char* items[] = {"/opt/quarnet", "-d", "COM3"};
  ArgCount = 3;
  for (int i = 0; i < 3; ++i) ArgList[i] = items[i];
  SavedVariable computer("COMPUTERNAME", "BENCH-7");
  SavedVariable user("USERNAME", "engineer");
  LocalDateTime now{26, 12, 8, 22, 57, 9};
  PrepareLogAt(String::Copy(folder.Path()), now);
  clock.Sleep(4'512'000);
  PutText(LogStream, "Disconnected\r\n");
  PutText(DebugStream, "debug\r\n");
  bool debug = DebugOn;
  DebugOn = true;
  PutText(DebugStream, "shown\r\n");
  DebugOn = debug;
  PutText(ReportStream, "report\r\n");
  // Every finished line is on the disk already, for a reader while the program runs
  // or after it crashed.
  std::string beforeClose = folder.Read("2026-12-08 22-57-09.log");
  EXPECT_EQ(beforeClose.substr(beforeClose.size() - std::string_view("004512: report\r\n").size()),
            "004512: report\r\n");
  clock.Sleep(1'000'000'000);
  PutText(LogStream, "late\r\n");
  CloseLog();
  PutText(LogStream, "after close\r\n");
  ArgCount = 0;

  std::string log = folder.Read("2026-12-08 22-57-09.log");
  EXPECT_EQ(log,
            "/opt/quarnet -d COM3 \r\n"
            "000000: COMPUTERNAME=BENCH-7\r\n"
            "000000: USERNAME=engineer\r\n"
            "004512: Disconnected\r\n"  // a stamp tells when its line was written
            "004512: debug\r\n"
            "004512: shown\r\n"
            "004512: report\r\n"
            "1004512: late\r\n"
            "1004512: \r\n");
  EXPECT_TRUE(console.Said("   LogFile         : " + folder.Path()));
  EXPECT_TRUE(console.Said("shown\r\nreport"));
  EXPECT_FALSE(console.Said("debug"));
}

TEST_F(LogFolder, RunsStartedInTheSameSecondKeepTheirOwnLogs) {
  LocalDateTime now{26, 12, 8, 22, 57, 9};
  Touch("2026-12-08 22-57-09.log");
  PrepareLogAt(String::Copy(folder.Path()), now);
  PutText(LogStream, "second run\r\n");
  CloseLog();
  PrepareLogAt(String::Copy(folder.Path()), now);
  PutText(LogStream, "third run\r\n");
  CloseLog();
  EXPECT_EQ(folder.Read("2026-12-08 22-57-09.log"), "x");
  EXPECT_NE(folder.Read("2026-12-08 22-57-09 (2).log").find("second run"), std::string::npos);
  EXPECT_NE(folder.Read("2026-12-08 22-57-09 (3).log").find("third run"), std::string::npos);
  EXPECT_TRUE(console.Said("22-57-09 (3).log")) << "the name shown is the one written";

  // Numbered logs age like the others.
  Touch("2026-09-30 10-00-00 (2).log");
  PrepareLogAt(String::Copy(folder.Path()), LocalDateTime{26, 12, 22, 8, 0, 0});
  CloseLog();
  EXPECT_FALSE(Exists("2026-09-30 10-00-00 (2).log"));
  EXPECT_TRUE(Exists("2026-12-08 22-57-09 (3).log"));
}

TEST_F(LogFolder, ALongLogNameIsShownWholeOnOneLine) {
  std::string deep = folder.Path(std::string(40, 'd'));
  fs::create_directory(deep);
  PrepareLogAt(String::Copy(deep), LocalDateTime{26, 12, 8, 22, 57, 9});
  CloseLog();
  std::string name = deep + "/2026-12-08 22-57-09.log";
  ASSERT_GT(name.size(), 58u);
  std::string expected = "   LogFile         : " + name + "\r\n";
  EXPECT_EQ(console.Text().substr(0, expected.size()), expected);
}

TEST_F(LogFolder, ProgressDotsAndVersionTexts) {
  ProgressDots(5, 10);
  EXPECT_EQ(console.Text(), std::string(30, '.'));
  ProgressDots(10, 10);
  EXPECT_EQ(console.Text(), std::string(60, '.'));
  ProgressDots(1, 3);
  EXPECT_EQ(console.Text(), std::string(80, '.'));
  ProgressDots(7, 0);
  ProgressDots(9, 3);
  EXPECT_EQ(console.Text(), std::string(120, '.'));
  ProgressDotsEnd();
  PutText(StandardOutput, "x");
  EXPECT_EQ(console.Text(), std::string(120, '.') + "\r\nx");

  EXPECT_EQ(VersionText(610), "6.10");
  EXPECT_EQ(VersionText(1005), "10.05");
  EXPECT_EQ(VersionReleaseText(610, 57), "6.10r57");
  EXPECT_EQ(VersionReleaseText(600, 3), "6.00r03");
}

TEST_F(LogFolder, CommTraceOnlyWhileRaised) {
  PrepareLogAt(String::Copy(folder.Path()), LocalDateTime{26, 12, 8, 22, 57, 9});
  CommTraceWriter("not traced");
  ++CommTraceLevel;
  CommTraceWriter("traced");
  --CommTraceLevel;
  CloseLog();
  std::string log = folder.Read("2026-12-08 22-57-09.log");
  EXPECT_NE(log.find("traced\r\n"), std::string::npos);
  EXPECT_EQ(log.find("not traced"), std::string::npos);
  EXPECT_FALSE(console.Said("traced\r\n"));  // the console only with -d
}

using LogDeathTest = LogFolder;

TEST_F(LogDeathTest, FatalErrorExitCodesAndJobFile) {
  EXPECT_EXIT(
      {
        dup2(2, 1);
        InstallConsoleSink(nullptr);
        FatalError("No unit found");
      },
      ::testing::ExitedWithCode(1), "Fatal Error: No unit found\r?\n");

  std::string job = folder.Path("job.ini");
  EXPECT_EXIT(
      {
        dup2(2, 1);
        InstallConsoleSink(nullptr);
        JobFile = String::Copy(job);
        FatalError("No unit found");
      },
      ::testing::ExitedWithCode(2), "Fatal Error: No unit found");
  EXPECT_EQ(FileText(job), "Message=No unit found\r\n");
}

TEST_F(LogDeathTest, AFileWhereTheLogFolderShouldBeEndsTheProgram) {
  Touch("blocked");
  std::string notAFolder = folder.Path("blocked");
  EXPECT_EXIT(
      {
        dup2(2, 1);
        InstallConsoleSink(nullptr);
        PrepareLogAt(String::Copy(notAFolder), LocalDateTime{26, 12, 8, 22, 57, 9});
      },
      ::testing::ExitedWithCode(1), "Cannot create folder: .*blocked\r?\nFatal error: Not a directory");
}

// The reason given is why the folder could not be made, not what followed from it.
TEST_F(LogDeathTest, LogFolderThatCannotBeMadeEndsTheProgramWithItsReason) {
  Touch("blocked");
  std::string folderInAFile = folder.Path("blocked/LogFiles");
  EXPECT_EXIT(
      {
        dup2(2, 1);
        InstallConsoleSink(nullptr);
        PrepareLogAt(String::Copy(folderInAFile), LocalDateTime{26, 12, 8, 22, 57, 9});
      },
      ::testing::ExitedWithCode(1), "Cannot create folder: .*blocked/LogFiles\r?\nFatal error: Not a directory");
}

}  // namespace
