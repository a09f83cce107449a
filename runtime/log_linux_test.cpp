#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/log_folder_fixture.h"

namespace {

namespace fs = std::filesystem;

// A file the clean-up may not delete used to make it scan for ever.
TEST_F(LogFolder, CleanUpPassesOverFilesItCannotDelete) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  Touch("2026-01-10 10-00-00.log");
  Touch("2026-01-11 10-00-00.log");
  chmod(folder.Path().c_str(), 01777);  // sticky: another user may add files but not delete ours
  std::string name = folder.Path();
  EXPECT_EXIT(
      {
        dup2(2, 1);
        InstallConsoleSink(nullptr);
        if (setuid(65534) != 0) std::exit(3);
        CleanUpLogs(String::Copy(name), Date(2026, 5, 25));
        FlushStandardStreams();
        std::exit(fs::exists(name + "/Cleanup.lck") ? 4 : 0);
      },
      ::testing::ExitedWithCode(0),
      "Cannot delete old log file: .*Operation not permitted.*"
      "Cannot delete old log file: .*Operation not permitted");
}

}  // namespace
