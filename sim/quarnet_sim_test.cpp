// quarnet-sim as a process, on a real pseudo-terminal, driven through the tty
// device Quarnet itself opens its COM ports with.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/tty_device.h"
#include "sim/test_client.h"
#include "testing/program_run.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

class QuarnetSimProgram : public ::testing::Test {
 protected:
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  // Starts the program with its standard output on a pipe; the first line it writes.
  std::string Start(std::vector<std::string> arguments) {
    int output[2];
    if (pipe(output) != 0) return "";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    arguments.insert(arguments.begin(), QUARNET_SIM_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn(&pid, QUARNET_SIM_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    std::string line;
    char c;
    pollfd wait{output[0], POLLIN, 0};
    while (poll(&wait, 1, 10'000) > 0 && read(output[0], &c, 1) == 1 && c != '\n') line += c;
    close(output[0]);
    return line;
  }

  // Runs the program to its end: its exit code, and its standard error alone.
  ProgramRun Run(const std::string& arguments) const {
    return RunProgram(folder.Path(), std::string(QUARNET_SIM_PROGRAM) + " " + arguments + " 2>&1 >/dev/null");
  }

  TemporaryFolder folder{"sim-test"};
  pid_t pid = -1;
};

// What arrives until `count` bytes have, or the line stays quiet for the time.
Body Receive(TtyDevice& port, size_t count, uint32_t milliseconds = 1000) {
  Body bytes;
  while (bytes.size() < count && port.WaitForInput(milliseconds)) {
    uint8_t buffer[64];
    int got = port.Read(buffer, sizeof buffer);
    if (got <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return bytes;
}

TEST_F(QuarnetSimProgram, ServesASystemOnAPseudoTerminalUntilItIsStopped) {
  std::string link = folder.Path("com3");
  folder.Write("system.ini", "[unit 5]\nCard = 653\nSoftware = 6.12\nBootLoaderVersion = 2\nRestartTime = 100\n");
  ASSERT_EQ(Start({"--system", folder.Path("system.ini"), "--link", link, "--log", folder.Path("traffic.log")}),
            "ready " + link);

  std::unique_ptr<TtyDevice> port = TtyDevice::Open(String::Copy(link));
  ASSERT_TRUE(port);
  ASSERT_TRUE(port->Configure(LineSettings{19200, 1, false, false, false}));
  Body ping = TestClient::Framed(Hex("F0 41"));
  port->Write(ping.data(), static_cast<int>(ping.size()));
  EXPECT_EQ(Receive(*port, 4), TestClient::Framed(Hex("F0 42")));

  ASSERT_TRUE(port->Configure(LineSettings{9600, 1, false, false, false}));
  port->Write(ping.data(), static_cast<int>(ping.size()));
  EXPECT_EQ(Receive(*port, 4, 300), Body()) << "the display listens at 19200";

  // The operator switches the unit off and on; its boot loader listens at 9600 for a
  // quarter of a second. A busy machine may miss that, so the operator tries again.
  Body readBootLoaderVersion = TestClient::Framed(Hex("01 45 10 12"));
  Body reply;
  for (int powerCycle = 0; powerCycle < 3 && reply.empty(); ++powerCycle) {
    ASSERT_EQ(kill(pid, SIGUSR1), 0);
    for (int attempt = 0; attempt < 20 && reply.empty(); ++attempt) {
      port->Write(readBootLoaderVersion.data(), static_cast<int>(readBootLoaderVersion.size()));
      reply = Receive(*port, 7, 40);
    }
  }
  EXPECT_EQ(reply, TestClient::Framed(Hex("01 45 10 12 62")));
  port.reset();

  ASSERT_EQ(kill(pid, SIGTERM), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  pid = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  std::string traffic = folder.Read("traffic.log");
  EXPECT_NE(traffic.find(" RX F0 41 "), std::string::npos) << traffic;
  EXPECT_NE(traffic.find(" TX F0 42 "), std::string::npos) << traffic;
}

TEST_F(QuarnetSimProgram, BadInputIsNamedAndEndsTheProgram) {
  folder.Write("bad.ini", "[unit 5]\nCard = 653\nSoftware = 6\n");
  const struct {
    std::string arguments;
    const char* message;
  } cases[] = {
      {"", "--link PATH is required"},
      {"--link x --colour red", "unknown option --colour"},
      {"--link", "--link needs a value"},
      {"--link x --fault explode", "fault 'explode'"},
      {"--link x --system /nonexistent/system.ini", "cannot read /nonexistent/system.ini"},
      {"--link x --system " + folder.Path("bad.ini"), "line 3: Software: '6' is not a version"},
  };
  for (const auto& test : cases) {
    ProgramRun run = Run(test.arguments);
    EXPECT_EQ(run.exitCode, 2) << test.arguments;
    EXPECT_NE(run.output.find(test.message), std::string::npos) << run.output;
  }
}

}  // namespace
