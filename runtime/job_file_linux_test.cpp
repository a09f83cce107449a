#include "runtime/job_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "testing/idle_terminal.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

class JobFile : public ::testing::Test {
 protected:
  void TearDown() override {
    if (socket_ >= 0) close(socket_);
  }

  void MakeSocket(const std::string& path) {
    socket_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
  }

  std::string Check(const std::string& name) {
    std::string refusal;
    bool accepted = CheckJobFile(name, refusal);
    EXPECT_EQ(accepted, refusal.empty()) << name;
    return accepted ? "accepted" : refusal;
  }

  TemporaryFolder folder{"job"};
  int socket_ = -1;
};

TEST_F(JobFile, AnINIFileOrNoneAtAllIsAccepted) {
  folder.Write("empty.ini", "");
  folder.Write("outcome.ini", "Message=Settings saved\r\n");
  folder.Write("line.ini",
               "\xEF\xBB\xBF; written by the line controller\r\n"
               "[Station 4]\r\n"
               "\r\n"
               "  Batch = 2291 \r\n"
               "# the tool adds its outcome below\n"
               "Message=");
  fs::create_symlink(folder.Path("outcome.ini"), folder.Path("linked.ini"));
  fs::create_symlink(folder.Path("gone.ini"), folder.Path("dangling.ini"));
  for (const char* name : {"missing.ini", "empty.ini", "outcome.ini", "line.ini", "linked.ini", "dangling.ini"}) {
    EXPECT_EQ(Check(folder.Path(name)), "accepted") << name;
  }
  EXPECT_EQ(Check(""), "accepted");
}

// Whatever the name leads to stays as it was: the check only looks.
TEST_F(JobFile, AnythingButAnINIFileIsRefusedAndLeftAsItIs) {
  IdleTerminal terminal;
  const std::string& slave = terminal.Path();
  ASSERT_FALSE(slave.empty());
  ASSERT_EQ(mkfifo(folder.Path("fifo").c_str(), 0600), 0);
  fs::create_directories(folder.Path("folder"));
  MakeSocket(folder.Path("socket"));
  fs::create_symlink("/dev/null", folder.Path("null"));
  fs::create_symlink(slave, folder.Path("com4"));
  folder.Write("binary.ini", "Message=ok\r\n" + std::string("\x7F" "ELF\x02\x01\x01\0\0", 9));
  folder.Write("script.ini", "Message=ok\n[Run]\nrm -rf /tmp/x\n");
  folder.Write("open.ini", "[Run\n");
  folder.Write("nokey.ini", "=value\n");
  folder.Write("large.ini", std::string((1 << 20) + 1, '#'));
  struct Case {
    const char* name;
    const char* refusal;
  };
  const Case cases[] = {
      {"fifo", "is a FIFO, not an INI file"},
      {"folder", "is a folder, not an INI file"},
      {"socket", "is a socket, not an INI file"},
      {"null", "is a link to a character device, not an INI file"},
      {"com4", "is a link to a character device, not an INI file"},
      {"binary.ini", "is not an INI file (it holds binary bytes)"},
      {"script.ini", "is not an INI file (line 3 is neither [section], key=value, a comment nor blank)"},
      {"open.ini", "is not an INI file (line 1 is neither [section], key=value, a comment nor blank)"},
      {"nokey.ini", "is not an INI file (line 1 is neither [section], key=value, a comment nor blank)"},
      {"large.ini", "is not an INI file (larger than 1 MiB)"},
      {"script.ini/job.ini", "cannot be examined: Not a directory"},
  };
  for (const Case& c : cases) {
    std::string name = folder.Path(c.name);
    fs::file_status before = fs::symlink_status(name);
    std::string bytes = fs::is_regular_file(name) ? folder.Read(c.name) : "";
    EXPECT_EQ(Check(name), "job file " + name + " " + c.refusal + "; it is left as it is");
    EXPECT_EQ(fs::symlink_status(name).type(), before.type()) << c.name;
    if (fs::is_regular_file(name)) {
      EXPECT_EQ(folder.Read(c.name), bytes) << c.name;
    }
  }
  EXPECT_EQ(fs::read_symlink(folder.Path("com4")), slave);
  EXPECT_TRUE(fs::is_character_file(slave));
}

}  // namespace
