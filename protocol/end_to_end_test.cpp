// The tool's discovery and connection over a real pseudo-terminal, in real time,
// against quarnet-sim serving the demo system.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "link/port_control.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string console;

TEST(EndToEnd, UnitNamedByThePortListIsFoundConnectedAndReported) {
  char pattern[] = "/tmp/quarnet-e2e-XXXXXX";
  fs::path folder = mkdtemp(pattern);
  std::string link = (folder / "com3").string();
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  const char* argv[] = {QUARNET_SIM_PROGRAM, "--link", link.c_str(), nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, QUARNET_SIM_PROGRAM, &actions, nullptr, const_cast<char**>(argv), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  std::string ready;
  char c;
  pollfd wait{output[0], POLLIN, 0};
  while (poll(&wait, 1, 10'000) > 0 && read(output[0], &c, 1) == 1 && c != '\n') ready += c;
  close(output[0]);
  ASSERT_EQ(ready, "ready " + link);

  setenv("VELANTORDEVDIR", folder.c_str(), 1);
  setenv("VELANTORPORTLIST", "COM3", 1);
  console.clear();
  InstallConsoleSink([](uint8_t byte) { console += static_cast<char>(byte); });
  UnitInfo unit{};
  bool found = SearchEnvironmentPorts(unit);
  bool connected = found && Connect(unit);
  if (connected) {
    ReadExtendedInfo(unit);
    ReadAdvancedInfo(unit);
    WriteUnitReport(unit);
  }
  EndStandardOutput();
  ClosePort();
  InstallConsoleSink(nullptr);
  unsetenv("VELANTORDEVDIR");
  unsetenv("VELANTORPORTLIST");
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  fs::remove_all(folder);

  ASSERT_TRUE(found) << console;
  ASSERT_TRUE(connected) << console;
  EXPECT_EQ(PortNumber, 3);
  EXPECT_EQ(unit.SlaveAddress, 5);
  EXPECT_NE(console.find("COM3 opened\r\n"), std::string::npos) << console;
  EXPECT_NE(console.find("   Unit Type       : KD6/KP6 Display\r\n"), std::string::npos) << console;
  EXPECT_NE(console.find("   Software        : v6.12r41\r\n"), std::string::npos) << console;
  EXPECT_NE(console.find("   Serial No       : 2318842\r\n"), std::string::npos) << console;
  EXPECT_NE(console.find("   Information     : Silo 3 discharge\r\n"), std::string::npos) << console;
}

}  // namespace
