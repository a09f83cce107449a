// The link over real pseudo-terminals in real time: what the virtual line cannot show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "generic/checksum.h"
#include "link/link_test_support.h"
#include "link/port_control.h"
#include "platform/pseudo_terminal.h"
#include "platform/tty_device.h"
#include "runtime/program_state_test_support.h"
#include "runtime/virtual_clock.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

class PtyLink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ready()) << pty.Error();
    ASSERT_TRUE(pty.LinkAs(folder.Path("com4")));
    before = InstallSerialDeviceOpener(OpenTtyDevice);
    ResetProgramState();
    ResetLinkState();
    PortNumber = 4;
    PacketTimeout = 200;
  }
  void TearDown() override {
    ClosePort();
    InstallSerialDeviceOpener(before);
  }

  TemporaryFolder folder{"pty"};
  SavedVariable devices{"VELANTORDEVDIR", folder.Path()};
  SavedVariable locks{"VELANTORLOCKDIR", folder.Path()};
  PseudoTerminal pty;
  SerialDeviceOpener before = nullptr;
};

TEST_F(PtyLink, OpenSpeedChangeAndLockFile) {
  ASSERT_TRUE(OpenPort());
  EXPECT_TRUE(fs::exists(folder.Path("lockVelantorCommPort4")));
  EXPECT_EQ(pty.SlaveSettings().baud, 19200u);
  EXPECT_EQ(pty.SlaveSettings().stopBitCode, 2);

  BaudRate = 115200;
  EvenParity = true;
  ASSERT_TRUE(ChangeBaudRate());
  LineSettings seen = pty.SlaveSettings();
  EXPECT_EQ(seen.baud, 115200u);
  EXPECT_TRUE(seen.parityOn);
  EXPECT_TRUE(seen.even);
  EXPECT_TRUE(fs::exists(folder.Path("lockVelantorCommPort4"))) << "a speed change keeps the lock";

  uint8_t request[] = {0x01, 0x41};
  BeginPacket();
  for (uint8_t b : request) PutByte(PacketStream, b);
  SendPacket(LinkPort, 2);
  ASSERT_TRUE(pty.WaitForInput(1000));
  uint8_t received[8];
  usleep(20'000);
  EXPECT_EQ(pty.Read(received, 8), 4);

  ClosePort();
  EXPECT_FALSE(fs::exists(folder.Path("lockVelantorCommPort4")));
}

TEST_F(PtyLink, APortHeldByAnotherProgramIsBusy) {
  CommHandle other = OpenCommPort(4, 9600, 2, false, false, false, 0);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(OpenCommPort(4, 9600, 2, false, false, false, 0), nullptr);
  EXPECT_EQ(LastPortError(), PortInUse);

  // The hundred attempts wait on the program's clock, so virtual time keeps this short.
  VirtualClock clock;
  InstallClock(&clock);
  EXPECT_FALSE(OpenPort());
  EXPECT_GE(clock.Now(), 9'900'000u);
  InstallClock(nullptr);
  EXPECT_FALSE(fs::exists(folder.Path("lockVelantorCommPort4")));
  CloseCommPort(other);
  EXPECT_TRUE(OpenPort());
}

TEST_F(PtyLink, ADeviceThatVanishesWhileAReplyIsAwaitedFailsTheRead) {
  ASSERT_TRUE(OpenPort());
  PacketTimeout = 5000;
  std::thread unplug([this] {
    usleep(50'000);
    pty.Close();
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(RecvPacket(LinkPort, 4));
  unplug.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "no hang";
}

TEST_F(PtyLink, MissingPortIsNotPresent) {
  PortNumber = 5;
  EXPECT_FALSE(OpenPort());
  EXPECT_EQ(LastPortError(), PortNotPresent);
}

}  // namespace
