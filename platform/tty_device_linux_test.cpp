#include "platform/tty_device.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <csignal>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "platform/tty_speed.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"

namespace {

// The far end of the line: the master of a pseudo-terminal whose slave the device opens.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[64];
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 &&
        ptsname_r(master_, name, sizeof name) == 0) {
      slave_ = name;
    }
  }
  ~PseudoTerminal() { CloseMaster(); }

  int Master() const { return master_; }
  const std::string& Slave() const { return slave_; }
  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

  // What arrives within a second of quiet, up to count bytes.
  std::string Receive(size_t count) const {
    std::string received;
    pollfd request{master_, POLLIN, 0};
    while (received.size() < count && poll(&request, 1, 1000) > 0) {
      char buffer[4096];
      ssize_t got = read(master_, buffer, std::min(sizeof buffer, count - received.size()));
      if (got <= 0) break;
      received.append(buffer, static_cast<size_t>(got));
    }
    return received;
  }
  void Send(const std::string& bytes) const {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

 private:
  int master_ = -1;
  std::string slave_;
};

class TtyDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(terminal.Slave().empty());
    Link(5, terminal.Slave());
  }

  void Link(int port, const std::string& target) const {
    std::filesystem::create_symlink(target, folder.Path("com" + std::to_string(port)));
  }
  // Opened and set to 115200, no parity, one stop bit.
  std::unique_ptr<SerialDevice> OpenConfigured() const {
    std::unique_ptr<SerialDevice> device = OpenTtyDevice(5);
    if (device && !device->Configure({115200, 1, false, false, false})) device.reset();
    return device;
  }
  std::string ReceiveOnDevice(SerialDevice& device, size_t count) const {
    std::string received;
    while (received.size() < count && device.WaitForInput(1000)) {
      uint8_t buffer[512];
      int got = device.Read(buffer, static_cast<int>(sizeof buffer));
      if (got <= 0) break;
      received.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(got));
    }
    return received;
  }

  TemporaryFolder folder{"tty"};
  SavedVariable deviceFolder{"VELANTORDEVDIR", folder.Path()};
  PseudoTerminal terminal;
};

std::string AllByteValues() {
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
  return bytes;
}

TEST_F(TtyDeviceTest, TheLineFormatIsWhatTheFarEndSees) {
  std::unique_ptr<SerialDevice> device = OpenTtyDevice(5);
  ASSERT_NE(device, nullptr);
  const LineSettings cases[] = {
      {9600, 2, false, false, false},
      {115200, 1, true, true, false},
      {57600, 2, true, false, true},
      {250000, 1, false, false, false},  // outside the C library's table
      {12345, 2, true, false, false},
  };
  for (const LineSettings& line : cases) {
    SCOPED_TRACE(line.baud);
    ASSERT_TRUE(device->Configure(line));
    termios seen;
    ASSERT_EQ(tcgetattr(terminal.Master(), &seen), 0);
    EXPECT_EQ(TtySpeed(terminal.Master()), line.baud);
    EXPECT_EQ(seen.c_cflag & (CSIZE | CLOCAL | CREAD), static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ((seen.c_cflag & CSTOPB) != 0, line.stopBitCode != 1);
    // Pseudo-terminals drop PARENB itself; the parity check and the odd flag stay.
    EXPECT_EQ((seen.c_iflag & INPCK) != 0, line.parityOn);
    EXPECT_EQ((seen.c_cflag & PARODD) != 0, line.parityOn && !line.even);
    EXPECT_EQ((seen.c_cflag & CRTSCTS) != 0, line.ctsFlow);
    EXPECT_EQ(seen.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP | PARMRK | IGNPAR), 0u);
    EXPECT_EQ(seen.c_oflag & OPOST, 0u);
    EXPECT_EQ(seen.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(seen.c_cc[VMIN], 0);
    EXPECT_EQ(seen.c_cc[VTIME], 0);
  }
}

TEST_F(TtyDeviceTest, ASpeedOfZeroIsRefusedAndTheLineKeepsItsSpeed) {
  std::unique_ptr<SerialDevice> device = OpenConfigured();
  ASSERT_NE(device, nullptr);
  EXPECT_FALSE(device->Configure({0, 1, false, false, false}));
  EXPECT_EQ(LastPortError(), PortInvalidParameter);
  EXPECT_EQ(LastPortErrorNumber(), EINVAL);
  EXPECT_EQ(TtySpeed(terminal.Master()), 115200u);
}

TEST_F(TtyDeviceTest, EveryByteValuePassesBothWaysUnchanged) {
  std::unique_ptr<SerialDevice> device = OpenConfigured();
  ASSERT_NE(device, nullptr);
  uint8_t buffer[16];
  EXPECT_EQ(device->Read(buffer, sizeof buffer), 0);
  EXPECT_FALSE(device->WaitForInput(10));

  std::string bytes = AllByteValues();
  ASSERT_EQ(device->Write(reinterpret_cast<const uint8_t*>(bytes.data()), 256), 256);
  EXPECT_EQ(terminal.Receive(256), bytes);
  terminal.Send(bytes);
  EXPECT_EQ(ReceiveOnDevice(*device, 256), bytes);
  EXPECT_EQ(device->TakeLineErrors(), 0u);  // pseudo-terminals keep no error counters
}

TEST_F(TtyDeviceTest, PurgeDropsWhatArrived) {
  std::unique_ptr<SerialDevice> device = OpenConfigured();
  ASSERT_NE(device, nullptr);
  terminal.Send("stale");
  ASSERT_TRUE(device->WaitForInput(1000));
  device->Purge();
  uint8_t buffer[16];
  EXPECT_EQ(device->Read(buffer, sizeof buffer), 0);
  terminal.Send("fresh");
  EXPECT_EQ(ReceiveOnDevice(*device, 5), "fresh");
}

TEST_F(TtyDeviceTest, ASecondOpenFindsThePortInUseUntilTheFirstCloses) {
  Link(6, terminal.Slave());
  std::unique_ptr<SerialDevice> first = OpenTtyDevice(5);
  ASSERT_NE(first, nullptr);
  // By either name. TIOCEXCL turns other users away (EBUSY); root passes it, and the
  // advisory lock (EWOULDBLOCK) is what stops a second opener then.
  for (int port : {5, 6}) {
    EXPECT_EQ(OpenTtyDevice(port), nullptr) << port;
    EXPECT_EQ(LastPortError(), PortInUse) << port;
  }
  first.reset();
  EXPECT_NE(OpenTtyDevice(6), nullptr);
}

// A Quarnet killed with kill -9 while it holds the port: its advisory lock dies with
// it, and it leaves no exclusive flag that would refuse the next run.
TEST_F(TtyDeviceTest, AHolderKilledOutrightLeavesThePortFree) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::unique_ptr<SerialDevice> device = OpenTtyDevice(5);
    if (device == nullptr) _exit(3);
    raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the child opened the port and was killed";
  int probe = open(terminal.Slave().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(probe, 0);
  int exclusive = 1;
  ASSERT_EQ(ioctl(probe, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  close(probe);
  EXPECT_NE(OpenTtyDevice(5), nullptr) << PortErrorText().View();
}

TEST_F(TtyDeviceTest, APortHeldExclusivelyWithoutTheLockIsInUse) {
  // A terminal program that only sets TIOCEXCL; root's open passes it.
  int holder = open(terminal.Slave().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(ioctl(holder, TIOCEXCL), 0);
  EXPECT_EQ(OpenTtyDevice(5), nullptr);
  EXPECT_EQ(LastPortError(), PortInUse);
  ioctl(holder, TIOCNXCL);
  EXPECT_NE(OpenTtyDevice(5), nullptr);
  close(holder);
}

// After kill -9 the pseudo-terminal keeps the dead holder's flag while the simulator
// keeps its end open; nobody has the port open, so it is free.
TEST_F(TtyDeviceTest, AnExclusiveFlagLeftByAHolderThatIsGoneDoesNotKeepThePort) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root: another user's open is refused before the flag can be seen";
  int holder = open(terminal.Slave().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(ioctl(holder, TIOCEXCL), 0);
  close(holder);
  std::unique_ptr<SerialDevice> device = OpenTtyDevice(5);
  EXPECT_NE(device, nullptr) << PortErrorText().View();
  device.reset();
  EXPECT_NE(OpenTtyDevice(5), nullptr) << "and the next start takes it too";
}

TEST_F(TtyDeviceTest, OpenFailuresCarryTheirPortError) {
  folder.Write("plain", "x");
  Link(7, folder.Path("unplugged"));
  Link(8, folder.Path("plain/tty"));
  Link(9, "/dev/null");
  struct Case {
    int port;
    PortError error;
    int systemErrorNumber;
  };
  const Case cases[] = {
      {4, PortNotPresent, ENOENT},   // no link at all
      {7, PortNotPresent, ENOENT},   // a link to nothing
      {8, PortNotPresent, ENOTDIR},  // a link through a file
      {0, PortNotPresent, ENODEV},   // a number without a device
      {9, PortOtherError, ENOTTY},   // not a tty
  };
  for (const Case& c : cases) {
    errno = 0;
    EXPECT_EQ(OpenTtyDevice(c.port), nullptr) << c.port;
    EXPECT_EQ(LastPortError(), c.error) << c.port;
    EXPECT_EQ(LastPortErrorNumber(), c.systemErrorNumber) << c.port;
    EXPECT_EQ(errno, c.systemErrorNumber) << c.port;  // what SystemErrorText() words
  }
}

TEST_F(TtyDeviceTest, ADeviceThatVanishesEndsTheWaitAndFailsTheRead) {
  std::unique_ptr<SerialDevice> device = OpenConfigured();
  ASSERT_NE(device, nullptr);
  std::thread unplug([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    terminal.CloseMaster();
  });
  bool woke = device->WaitForInput(10000);
  unplug.join();
  EXPECT_TRUE(woke);
  uint8_t buffer[16];
  // The port's error text tells why, not what an earlier call left behind.
  SetLastPortError(PortOk, 0);
  EXPECT_EQ(device->Read(buffer, sizeof buffer), -1);
  EXPECT_EQ(PortErrorText(), "Error: Input/output error");
  SetLastPortError(PortOk, 0);
  EXPECT_EQ(device->Write(buffer, 1), -1);
  EXPECT_EQ(PortErrorText(), "Error: Input/output error");
  EXPECT_TRUE(device->WaitForOutputRoom(10000));
  EXPECT_FALSE(device->Drain());
}

TEST_F(TtyDeviceTest, DrainReturnsWhenTheFarEndDoesNotRead) {
  std::unique_ptr<SerialDevice> device = OpenConfigured();
  ASSERT_NE(device, nullptr);
  const uint8_t bytes[1024] = {};
  size_t accepted = 0;
  int written;
  while ((written = device->Write(bytes, sizeof bytes)) > 0) accepted += static_cast<size_t>(written);
  EXPECT_EQ(written, 0);  // a full queue, not a failure
  EXPECT_FALSE(device->WaitForOutputRoom(10));
  device->Drain();
  // Draining waits; it drops nothing.
  EXPECT_EQ(terminal.Receive(accepted).size(), accepted);
  EXPECT_TRUE(device->WaitForOutputRoom(1000));
}

std::unique_ptr<SerialDevice> RefuseAsBusy(int) {
  SetLastPortError(PortInUse, EBUSY);
  return nullptr;
}

TEST_F(TtyDeviceTest, TheOpenerInstalledDecidesWhatAPortIs) {
  SerialDeviceOpener before = InstallSerialDeviceOpener(nullptr);
  EXPECT_EQ(OpenSerialDevice(5), nullptr);
  EXPECT_EQ(LastPortError(), PortNotPresent);
  InstallSerialDeviceOpener(RefuseAsBusy);
  EXPECT_EQ(OpenSerialDevice(5), nullptr);
  EXPECT_EQ(LastPortError(), PortInUse);
  InstallSerialDeviceOpener(OpenTtyDevice);
  std::unique_ptr<SerialDevice> device = OpenSerialDevice(5);
  InstallSerialDeviceOpener(before);
  ASSERT_NE(device, nullptr);
  ASSERT_TRUE(device->Configure({19200, 2, false, false, false}));
  EXPECT_EQ(TtySpeed(terminal.Master()), 19200u);
}

}  // namespace
