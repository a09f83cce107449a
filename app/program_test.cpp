// The program as a process: arguments in, banner, log file and exit code out.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/program_run.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    // The log goes beside the program, so the program runs from a copy in the folder.
    fs::copy_file(QUARNET_PROGRAM, folder.Path("quarnet"));
  }

  // No serial ports at all and settings of its own: the search at start finds nothing
  // at once, and the program waits for its operator until it is told to stop.
  ProgramRun Start(const std::string& arguments, const std::string& stopWhen = "") {
    fs::create_directories(folder.Path("dev"));
    return RunProgram(folder.Path(),
                      "env -u VELANTORPORTLIST -u VELANTORPORT QUARNET_UI=headless VELANTORDEVDIR=" +
                          folder.Path("dev") + " XDG_CONFIG_HOME=" + folder.Path("config") + " ./quarnet " + arguments,
                      stopWhen);
  }

  TemporaryFolder folder{"program"};
};

TEST_F(Program, NormalStartWritesBannerAndLog) {
  ProgramRun run = Start("-d COM3", "-- cannot find a Velantor unit");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.rfind("Quarnet 6.10r57\r\n", 0), 0u) << run.output;
  EXPECT_NE(run.output.find("   LogFile         : " + folder.Path("LogFiles/20")), std::string::npos);
  EXPECT_EQ(run.output.find("aborted"), std::string::npos);
  // Told to stop, it closed its window on the way out.
  EXPECT_NE(run.output.find("ToolFormFinalise"), std::string::npos) << run.output;
  ASSERT_TRUE(fs::exists(folder.Path("LogFiles")));
  fs::directory_iterator logs(folder.Path("LogFiles"));
  ASSERT_NE(logs, fs::directory_iterator());
  std::string log = FileText(logs->path());
  // The first stamp is the milliseconds since start: a loaded machine may be past 0.
  std::string head = folder.Path("quarnet") + " -d COM3 \r\n";
  EXPECT_EQ(log.rfind(head, 0), 0u) << log;
  EXPECT_EQ(log.compare(head.size() + 6, 15, ": COMPUTERNAME="), 0) << log;
  EXPECT_EQ(fs::status(logs->path()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(Program, BadOptionEndsWithTheUsage) {
  ProgramRun run = Start("-x");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("Usage: Quarnet [options] [Filename] [[COM]<port>]"), std::string::npos);
  EXPECT_NE(run.output.find("Fatal Error: Incorrect arguments"), std::string::npos);

  run = Start("job.ini -x");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(folder.Read("job.ini"), "Message=Incorrect arguments\r\n");

  run = Start("/nonexistent/folder/job.ini -x");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("Cannot write the job file's message: Cannot create file /nonexistent/folder/job.ini: No "
                            "such file or directory"),
            std::string::npos)
      << run.output;
}

// Installed (its data folder beside bin), the program's folder is not for writing:
// the log goes to the user's state folder.
TEST_F(Program, AnInstalledProgramLogsIntoTheUsersStateFolder) {
  fs::create_directories(folder.Path("usr/bin"));
  fs::create_directories(folder.Path("usr/share/quarnet"));
  fs::copy_file(folder.Path("quarnet"), folder.Path("usr/bin/quarnet"));
  ProgramRun run = RunProgram(folder.Path(),
                              "env -u VELANTORPORTLIST -u VELANTORPORT QUARNET_UI=headless VELANTORDEVDIR=" +
                                  folder.Path("dev") + " XDG_CONFIG_HOME=" + folder.Path("config") +
                                  " XDG_STATE_HOME=" + folder.Path("state") + " usr/bin/quarnet",
                              "-- cannot find a Velantor unit");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("   LogFile         : " + folder.Path("state/quarnet/LogFiles/20")), std::string::npos)
      << run.output;
  EXPECT_FALSE(fs::exists(folder.Path("usr/bin/LogFiles")));
  ASSERT_TRUE(fs::exists(folder.Path("state/quarnet/LogFiles")));
  EXPECT_NE(fs::directory_iterator(folder.Path("state/quarnet/LogFiles")), fs::directory_iterator());
}

TEST_F(Program, HelpAndVersionAnswerAtOnceAndEndWithZero) {
  ProgramRun run = Start("--help");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.rfind("Usage: quarnet [-d | -dd] [job file] [[COM]<port>]\n", 0), 0u) << run.output;
  EXPECT_NE(run.output.find("VELANTORLOCKDIR"), std::string::npos) << run.output;
  run = Start("-d --version");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output, "Quarnet 6.10r57\n");
  EXPECT_FALSE(fs::exists(folder.Path("LogFiles"))) << "no log for a question";
}

TEST_F(Program, LogFolderThatCannotBeMadeEndsTheProgram) {
  folder.Write("LogFiles", "a file where the folder should be");
  ProgramRun run = Start("");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("Cannot create folder: " + folder.Path("LogFiles") + "\r\nFatal error: Not a directory"),
            std::string::npos)
      << run.output;
}

}  // namespace
