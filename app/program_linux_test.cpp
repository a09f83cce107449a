// The program as a process: arguments in, banner, log file and exit code out.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "testing/idle_terminal.h"
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
                      runAs + "env -u VELANTORPORTLIST -u VELANTORPORT QUARNET_UI=headless VELANTORDEVDIR=" +
                          folder.Path("dev") + " XDG_CONFIG_HOME=" + folder.Path("config") + " ./quarnet " + arguments,
                      stopWhen);
  }

  TemporaryFolder folder{"program"};
  std::string runAs;  // a command that runs the program as another user
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

// The manual page is where an operator looks things up: every option and environment
// variable the usage names is there too.
TEST_F(Program, TheManualPageNamesEveryOptionTheUsageNames) {
  ProgramRun run = Start("--help");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::ifstream file(QUARNET_MAN_PAGE);
  std::stringstream page;
  page << file.rdbuf();
  std::string manual = std::regex_replace(page.str(), std::regex(R"(\\-)"), "-");
  ASSERT_NE(manual.find(".SH OPERATIONS"), std::string::npos);
  const std::regex named(R"((^|[\s\[|,(])(--?[a-z][a-z-]*|VELANTOR[A-Z]+|QUARNET_[A-Z]+|XDG_[A-Z_]+))");
  int count = 0;
  for (auto it = std::sregex_iterator(run.output.begin(), run.output.end(), named); it != std::sregex_iterator(); ++it) {
    std::string name = (*it)[2];
    ++count;
    EXPECT_NE(manual.find(name), std::string::npos) << name << " is not in quarnet(1)";
  }
  EXPECT_GT(count, 25) << run.output;
}

// Nothing starts, neither the log nor a window nor a port, and the job file named stays
// as it was: a device, a FIFO, another program's data.
TEST_F(Program, APortThatIsNoneOrAJobFileThatIsNoINIFileEndsTheRunBeforeItStarts) {
  IdleTerminal terminal;
  ASSERT_FALSE(terminal.Path().empty());
  ASSERT_EQ(mkfifo(folder.Path("fifo").c_str(), 0600), 0);
  fs::create_symlink(terminal.Path(), folder.Path("line.ini"));
  const std::string program = "\x7F" "ELF" + std::string("\x02\x01\x01\0\0\0", 6) + "Message=";
  folder.Write("program.bin", program);
  folder.Write("notes.txt", "Line 4 stopped at 10:40\n");
  const std::string forms = " is not a port: a port is COM1 to COM255, its number alone, or a device path such as "
                            "/dev/ttyUSB0\nTry 'quarnet --help'.\n";
  const std::string left = "; it is left as it is\nTry 'quarnet --help'.\n";
  // A port written wrong is a usage mistake (64); a job file refused is not (1).
  struct Case {
    std::string arguments;
    std::string said;
    int exitCode;
  };
  const Case cases[] = {
      {"COMX", "quarnet: COMX" + forms, 64},
      {"-d job.ini COM65543", "quarnet: COM65543" + forms, 64},
      {"--list COM99999", "quarnet: COM99999" + forms, 64},
      {"--save-logs -p COM-1", "quarnet: COM-1" + forms, 64},
      {"--job fifo", "quarnet: job file fifo is a FIFO, not an INI file" + left, 1},
      {"--list --job=line.ini", "quarnet: job file line.ini is a link to a character device, not an INI file" + left,
       1},
      {"program.bin", "quarnet: job file program.bin is not an INI file (it holds binary bytes)" + left, 1},
      {"--list notes.txt COM3",
       "quarnet: job file notes.txt is not an INI file (line 1 is neither [section], key=value, a comment nor "
       "blank)" + left,
       1},
  };
  for (const Case& c : cases) {
    ProgramRun run = Start(c.arguments + " </dev/null");
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
    EXPECT_EQ(run.output, c.said) << c.arguments;
  }
  EXPECT_FALSE(fs::exists(folder.Path("LogFiles")));
  EXPECT_FALSE(fs::exists(folder.Path("job.ini")));
  EXPECT_TRUE(fs::is_fifo(folder.Path("fifo")));
  EXPECT_EQ(fs::read_symlink(folder.Path("line.ini")), terminal.Path());
  EXPECT_TRUE(fs::is_character_file(terminal.Path()));
  EXPECT_EQ(folder.Read("program.bin"), program);
  EXPECT_EQ(folder.Read("notes.txt"), "Line 4 stopped at 10:40\n");
  EXPECT_EQ(folder.Listing(),
            (std::vector<std::string>{"dev", "fifo", "line.ini", "notes.txt", "program.bin", "quarnet"}));
}

// A user outside the dialout group may not open a tty: the window shows a box naming
// the device and the remedy, and a shell operation says the same on the terminal and
// in the job file, where before there was only "cannot find a Velantor unit".
TEST_F(Program, APortThatMayNotBeOpenedIsNamedWithTheRemedy) {
  IdleTerminal terminal;
  ASSERT_FALSE(terminal.Path().empty());
  ASSERT_EQ(chmod(terminal.Path().c_str(), 0), 0);
  if (geteuid() == 0) {
    // Root opens a tty whatever its mode; as nobody the mode counts.
    if (!ProgramInstalled("setpriv")) GTEST_SKIP() << "root, and no setpriv to run the program as another user";
    runAs = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    fs::permissions(folder.Path(), fs::perms::all);
  }
  const std::string said = "Cannot open " + terminal.Path() +
                           ": Permission denied. Add your user to the dialout group (sudo usermod -aG dialout "
                           "$USER), then log in again.";
  ProgramRun run = Start("-p " + terminal.Path(), "then log in again.");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Error: " + said), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("-- cannot find a Velantor unit"), std::string::npos) << run.output;

  run = Start("--list job.ini --port=" + terminal.Path() + " </dev/null");
  EXPECT_EQ(run.exitCode, 2) << run.output;
  EXPECT_NE(run.output.find(terminal.Path() + " ERROR:Permission denied"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Error: " + said), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Failed: " + said), std::string::npos) << run.output;
  EXPECT_EQ(folder.Read("job.ini"), "Message=" + said + "\r\n");
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
