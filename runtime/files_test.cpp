#include "runtime/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "runtime/clock.h"
#include "runtime/program_state.h"
#include "runtime/virtual_clock.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"

namespace {

class FilesTest : public ::testing::Test {
 protected:
  String Name(const std::string& relative) const { return String::Copy(folder.Path(relative)); }

  TemporaryFolder folder{"files"};
};

TEST_F(FilesTest, ExistenceAndTheLastErrorText) {
  folder.Write("present", "x");
  EXPECT_TRUE(FileExists(Name("present")));
  EXPECT_FALSE(FileExists(Name("absent")));
  EXPECT_EQ(LastOsError(), "No such file or directory");
  EXPECT_EQ(LastOsErrorNumber(), ENOENT);
  EXPECT_FALSE(FileExists(""));
  EXPECT_EQ(LastOsError(), "Invalid Filename");
}

TEST_F(FilesTest, BackslashNamesOpenOnLinux) {
  std::filesystem::create_directory(folder.Path("LogFiles"));
  folder.Write("LogFiles/run.log", "x");
  EXPECT_EQ(NativeName("a\\b\\c"), "a/b/c");
  EXPECT_TRUE(FileExists(String::Copy(folder.Path() + "\\LogFiles\\run.log")));
  EXPECT_TRUE(RenameFile(String::Copy(folder.Path() + "\\LogFiles\\run.log"),
                         String::Copy(folder.Path() + "\\moved.log")));
  EXPECT_EQ(folder.Read("moved.log"), "x");
}

TEST_F(FilesTest, FoldersAreOwnerOnlyAndAnExistingOneFails) {
  ASSERT_TRUE(MakeFolder(Name("sub")));
  struct stat status;
  ASSERT_EQ(stat(folder.Path("sub").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  EXPECT_FALSE(MakeFolder(Name("sub")));
  EXPECT_EQ(LastOsError(), "File exists");
}

TEST_F(FilesTest, DeleteTakesReadOnlyFilesAndReportsMissingOnes) {
  folder.Write("locked", "x");
  chmod(folder.Path("locked").c_str(), 0400);
  EXPECT_TRUE(DeleteFile(Name("locked")));
  EXPECT_FALSE(std::filesystem::exists(folder.Path("locked")));
  EXPECT_FALSE(DeleteFile(Name("locked")));
  EXPECT_EQ(LastOsErrorNumber(), ENOENT);
  EXPECT_FALSE(RenameFile(Name("locked"), Name("other")));
  EXPECT_EQ(LastOsErrorNumber(), ENOENT);
}

TEST_F(FilesTest, CreateWriteOverwritesOrRefuses) {
  folder.Write("old", "previous content");
  int descriptor = CreateWrite(Name("old"), true);
  ASSERT_GE(descriptor, 0);
  EXPECT_EQ(WriteBytes(descriptor, "new", 3), 3);
  CloseDescriptor(descriptor);
  EXPECT_EQ(folder.Read("old"), "new");

  descriptor = CreateWrite(Name("created"), false);
  ASSERT_GE(descriptor, 0);
  CloseDescriptor(descriptor);
  struct stat status;
  ASSERT_EQ(stat(folder.Path("created").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  EXPECT_EQ(CreateWrite(Name("old"), false), -1);
  EXPECT_EQ(LastOsErrorNumber(), EEXIST);
  EXPECT_EQ(folder.Read("old"), "new");

  descriptor = OpenRead(Name("old"));
  ASSERT_GE(descriptor, 0);
  char buffer[8] = {};
  EXPECT_EQ(ReadBytes(descriptor, buffer, sizeof buffer), 3);
  EXPECT_EQ(ReadBytes(descriptor, buffer, sizeof buffer), 0);
  CloseDescriptor(descriptor);
  EXPECT_EQ(ReadBytes(descriptor, buffer, sizeof buffer), -1);
  EXPECT_EQ(LastOsErrorNumber(), EBADF);
  EXPECT_EQ(OpenRead(Name("absent")), -1);
}

TEST_F(FilesTest, CopyWritesTheWholeFileAndLeavesNoTemporaryFile) {
  std::string content(100'000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  folder.Write("from", content);
  folder.Write("to", "old");
  EXPECT_TRUE(CopyFile(Name("from"), Name("to"), true));
  EXPECT_EQ(folder.Read("to"), content);
  EXPECT_TRUE(CopyFile(Name("from"), Name("fresh"), false));
  EXPECT_EQ(folder.Read("fresh"), content);
  EXPECT_EQ(folder.Listing(), (std::vector<std::string>{"fresh", "from", "to"}));
}

// Every failure is reported, and the target stays as it was.
TEST_F(FilesTest, CopyFailuresLeaveTheTargetWhole) {
  folder.Write("from", "new");
  folder.Write("to", "old");
  std::filesystem::create_directory(folder.Path("folder"));
  struct Case {
    const char* from;
    const char* to;
    bool overwrite;
    int error;
  };
  for (auto [from, to, overwrite, error] : {Case{"from", "to", false, EEXIST},
                                            Case{"absent", "to", true, ENOENT},
                                            Case{"folder", "to", true, EISDIR},
                                            Case{"from", "missing/to", true, ENOENT},
                                            Case{"from", "folder", true, EISDIR}}) {
    EXPECT_FALSE(CopyFile(Name(from), Name(to), overwrite)) << from << " to " << to;
    EXPECT_EQ(LastOsErrorNumber(), error) << from << " to " << to;
    EXPECT_EQ(folder.Read("to"), "old");
  }
  EXPECT_EQ(folder.Listing(), (std::vector<std::string>{"folder", "from", "to"}));
}

class BusyRetry : public ::testing::Test {
 protected:
  void SetUp() override { InstallClock(&clock); }
  void TearDown() override { InstallClock(nullptr); }
  VirtualClock clock;
};

TEST_F(BusyRetry, OnlyABusyFailureWaitsASecondAndTriesOnceMore) {
  struct Case {
    std::vector<int> results;  // of the attempts in turn
    int expected;
    size_t attempts;
    uint64_t waited;
  };
  for (const Case& test : {Case{{EBUSY, 0}, 0, 2, 1'000'000},
                           Case{{ETXTBSY, ETXTBSY}, ETXTBSY, 2, 1'000'000},
                           Case{{EBUSY, ENOENT}, ENOENT, 2, 1'000'000},
                           Case{{ENOENT}, ENOENT, 1, 0},
                           Case{{0}, 0, 1, 0}}) {
    size_t attempts = 0;
    uint64_t start = clock.Now();
    int result = RetryOnceIfBusy([&] { return test.results.at(attempts++); });
    EXPECT_EQ(result, test.expected);
    EXPECT_EQ(attempts, test.attempts);
    EXPECT_EQ(clock.Now() - start, test.waited);
  }
}

TEST(Environment, SetAndUnsetVariables) {
  SavedVariable variable("QUARNET_TEST_VARIABLE", "COM3");
  EXPECT_EQ(GetEnvironment("QUARNET_TEST_VARIABLE"), "COM3");
  variable.Unset();
  EXPECT_TRUE(GetEnvironment("QUARNET_TEST_VARIABLE").Empty());
}

String traced;

TEST(SystemError, TextGoesToTheCommTraceWhenHooked) {
  errno = ENOENT;
  EXPECT_EQ(SystemErrorText(), "Error: No such file or directory");
  errno = EIO;
  ReportSystemError();  // no hook: nothing happens
  CommTraceHook = [](const String& line) { traced = line; };
  errno = EIO;
  ReportSystemError();
  CommTraceHook = nullptr;
  EXPECT_EQ(traced, "Error: Input/output error");
}

}  // namespace
