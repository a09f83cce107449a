// quarnet-sim as a process, on a real pseudo-terminal, driven through the tty
// device Quarnet itself opens its COM ports with.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/tty_device.h"
#include "sim/test_client.h"
#include "testing/program_run.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

class QuarnetSimProgram : public ::testing::Test {
 protected:
  // Runs the program to its end: its exit code, and its standard error alone.
  ProgramRun Run(const std::string& arguments) const {
    return RunProgram(folder.Path(), std::string(QUARNET_SIM_PROGRAM) + " " + arguments + " 2>&1 >/dev/null");
  }

  TemporaryFolder folder{"sim-test"};
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
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, link,
                             {"--system", folder.Path("system.ini"), "--log", folder.Path("traffic.log")});
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();

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
    ASSERT_TRUE(simulator.Signal(SIGUSR1));
    for (int attempt = 0; attempt < 20 && reply.empty(); ++attempt) {
      port->Write(readBootLoaderVersion.data(), static_cast<int>(readBootLoaderVersion.size()));
      reply = Receive(*port, 7, 40);
    }
  }
  EXPECT_EQ(reply, TestClient::Framed(Hex("01 45 10 12 62")));
  port.reset();

  EXPECT_EQ(simulator.Stop(), 0);
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
      {"--link x --speedup 0", "--speedup takes 1 to 100"},
      {"--link x --speedup 8x", "--speedup takes 1 to 100"},
      {"--link x --speedup 101", "--speedup takes 1 to 100"},
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
