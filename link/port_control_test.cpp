#include "link/port_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "link/link_speed.h"
#include "link/virtual_link_fixture.h"
#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

class PortControl : public VirtualLink {
 protected:
  SavedVariable lockFolder{"VELANTORLOCKDIR"};
};

TEST_F(PortControl, LockFileLivesWhileThePortIsOpen) {
  ClosePort();
  for (const char* suffix : {"", "/"}) {
    TemporaryFolder folder("lock");
    lockFolder.Set(folder.Path() + suffix);
    console.Clear();
    ASSERT_TRUE(OpenPort());
    EXPECT_EQ(LockFileName, folder.Path("lockVelantorCommPort1").c_str());
    EXPECT_TRUE(fs::exists(folder.Path("lockVelantorCommPort1")));
    EXPECT_TRUE(Said("OpenPort creating lock file: " + folder.Path() + suffix + "\r\n"));
    ClosePort();
    EXPECT_FALSE(fs::exists(folder.Path("lockVelantorCommPort1")));
    EXPECT_TRUE(LockFileName.Empty());
    EXPECT_TRUE(Said("ClosePort deleting lock file: " + folder.Path("lockVelantorCommPort1") + "\r\n"));
  }
  lockFolder.Unset();
  console.Clear();
  ASSERT_TRUE(OpenPort());
  EXPECT_FALSE(Said("lock file"));
}

TEST_F(PortControl, MissingPortAndPortHeldElsewhere) {
  TemporaryFolder folder("lock");
  lockFolder.Set(folder.Path());
  ClosePort();
  PortNumber = 7;
  console.Clear();
  EXPECT_FALSE(OpenPort());
  EXPECT_TRUE(Said("COM7 is not present on this computer\r\n"));
  EXPECT_FALSE(fs::exists(folder.Path("lockVelantorCommPort7")));

  // Another program holds COM1 for the whole ten seconds.
  PortNumber = 1;
  CommHandle other = OpenCommPort(1, 9600, 2, false, false, false, 0);
  ASSERT_NE(other, nullptr);
  console.Clear();
  DetailedDebugOn = false;  // what the operator sees
  uint64_t start = clock.Now();
  EXPECT_FALSE(OpenPort());
  EXPECT_TRUE(Said(std::string(100, '.') + "\r\n")) << console.Text();
  EXPECT_EQ(std::count(console.Text().begin(), console.Text().end(), '.'), 100);
  EXPECT_FALSE(Said("COM1"));
  EXPECT_GE(clock.Now() - start, 9'900'000u);
  EXPECT_FALSE(fs::exists(folder.Path("lockVelantorCommPort1")));
  CloseCommPort(other);
}

// The lock file of the program holding the port tells the next one to keep out: a
// failed open must not take it away; once the port is ours, so is its lock file.
TEST_F(PortControl, AFailedOpenLeavesTheLockFileItFound) {
  TemporaryFolder folder("lock");
  lockFolder.Set(folder.Path());
  ClosePort();
  std::string lockFile = folder.Path("lockVelantorCommPort1");
  CommHandle other = OpenCommPort(1, 9600, 2, false, false, false, 0);
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(std::ofstream(lockFile).good());
  EXPECT_FALSE(OpenPort());
  EXPECT_TRUE(fs::exists(lockFile));
  EXPECT_TRUE(LockFileName.Empty());
  EXPECT_FALSE(Said("OpenPort deleting lock file"));

  CloseCommPort(other);
  ASSERT_TRUE(OpenPort());
  ClosePort();
  EXPECT_FALSE(fs::exists(lockFile));
}

TEST_F(PortControl, AStopRequestEndsTheWaitForAPortHeldElsewhere) {
  ClosePort();
  CommHandle other = OpenCommPort(1, 9600, 2, false, false, false, 0);
  ASSERT_NE(other, nullptr);
  uint64_t start = clock.Now();
  clock.Schedule(start + 1'000'000, [] { ExitRequested = true; });
  EXPECT_FALSE(OpenPort());
  EXPECT_LE(clock.Now() - start, 1'100'000u);
  ExitRequested = false;
  CloseCommPort(other);
}

// A tty named by its path has no COM number: its messages, its traces and its lock file
// carry the path, each '/' of the lock file's name written as '_'.
TEST_F(PortControl, APortNamedByItsPathIsNamedAndLockedByIt) {
  TemporaryFolder folder("lock");
  lockFolder.Set(folder.Path());
  ClosePort();
  AttachVirtualLine(PathPortNumber, &line);
  PortNumber = PathPortNumber;
  PortPath = "/dev/serial/by-id/usb-FTDI-if00";
  std::string lockFile = folder.Path("lockVelantorCommPort_dev_serial_by-id_usb-FTDI-if00");
  console.Clear();
  ASSERT_TRUE(OpenPort());
  EXPECT_TRUE(Said("OpenPort opening comm port: /dev/serial/by-id/usb-FTDI-if00 19200\r\n")) << console.Text();
  EXPECT_EQ(LockFileName, lockFile.c_str());
  EXPECT_TRUE(fs::exists(lockFile));
  ClosePort();
  EXPECT_FALSE(fs::exists(lockFile));
  AttachVirtualLine(PathPortNumber, nullptr);

  PortPath = "/dev/ttyUSB9";
  console.Clear();
  EXPECT_FALSE(OpenPort());
  EXPECT_TRUE(Said("/dev/ttyUSB9 is not present on this computer\r\n")) << console.Text();
  EXPECT_TRUE(fs::is_empty(folder.Path()));
  PortPath.Clear();
  PortNumber = 1;
}

// Ports 3 and 5 may not be opened by this user: the first refusal is kept, with the
// system's reason, until it is forgotten; the dialout hint goes to the report as ever.
std::unique_ptr<SerialDevice> RefuseSomePorts(int port) {
  bool denied = port == 3 || port == 5;
  SetLastPortError(denied ? PortPermissionDenied : PortNotPresent, denied ? (port == 3 ? EACCES : EPERM) : ENOENT);
  return nullptr;
}

TEST_F(PortControl, TheFirstRefusalForWantOfPermissionIsKept) {
  ClosePort();
  SerialDeviceOpener before = InstallSerialDeviceOpener(RefuseSomePorts);
  ForgetPermissionRefusal();
  console.Clear();
  for (int port : {2, 3, 4, 5}) {
    PortNumber = static_cast<int16_t>(port);
    EXPECT_FALSE(OpenPort()) << port;
  }
  EXPECT_EQ(FirstPermissionRefusal().port, 3);
  EXPECT_EQ(FirstPermissionRefusal().systemErrorNumber, EACCES);
  EXPECT_TRUE(Said("COM3:13:Error: Permission denied\r\nSerial ports need membership of the dialout group"))
      << console.Text();
  ForgetPermissionRefusal();
  EXPECT_EQ(FirstPermissionRefusal().port, 0);
  PortNumber = 5;
  EXPECT_FALSE(OpenPort());
  EXPECT_EQ(FirstPermissionRefusal().port, 5);
  EXPECT_EQ(FirstPermissionRefusal().systemErrorNumber, EPERM);
  InstallSerialDeviceOpener(before);
  PortNumber = 1;
}

TEST_F(PortControl, ReopeningAtAnotherSpeed) {
  BaudRate = 115200;
  ASSERT_TRUE(ChangeBaudRate());
  EXPECT_EQ(line.Tool().Settings().baud, 115200u);
  EXPECT_TRUE(IsPortOpen());
  EXPECT_TRUE(Said("ChangeBaudRate closing comm port: 1\r\n"));
  EXPECT_TRUE(Said("ChangeBaudRate opening comm port: 1 115200\r\n"));
}

using LinkSpeed = VirtualLink;

TEST_F(LinkSpeed, SameSpeedLeavesThePortButForgetsPackets) {
  RecvPacketSize = 8;
  SendPacketSize = 3;
  SerialDevice* device = LinkPort.device.get();
  EXPECT_TRUE(ChangePacketBaudRate(19200, false, 250, false));
  EXPECT_EQ(LinkPort.device.get(), device);
  EXPECT_EQ(PacketTimeout, 250u);
  EXPECT_EQ(RecvPacketSize, 0u);
  EXPECT_EQ(SendPacketSize, 0u);
  EXPECT_TRUE(Said("baud rate = 19200 (no change) timeout=250ms\r\n"));
}

TEST_F(LinkSpeed, DirectAndReopeningChanges) {
  SerialDevice* device = LinkPort.device.get();
  EXPECT_TRUE(ChangePacketBaudRate(57600, true, 100, true));
  EXPECT_EQ(LinkPort.device.get(), device) << "a direct change keeps the port open";
  EXPECT_TRUE(Said("ChangePacketBaudRate: direct call to comm port\r\n"
                   "baud rate = 57600 timeout=100ms (direct baud rate setting)\r\n"));
  EXPECT_TRUE(EvenParity);

  SaveConnectionBaudRate();
  EXPECT_TRUE(ChangePacketBaudRate(115200, true, 50, false));
  EXPECT_TRUE(Said("ChangePacketBaudRate: re-opening comm port to change baud rate\r\n"));
  EXPECT_TRUE(Said("baud rate = 115200 timeout=50ms (even parity)\r\n"));
  EXPECT_EQ(BaudRate, 115200u);

  RestoreConnectionBaudRate(1000);
  EXPECT_EQ(BaudRate, 57600u);
  EXPECT_TRUE(EvenParity);
  EXPECT_TRUE(Said("-- saved connection baud rate = 57600\r\n"));
  EXPECT_TRUE(Said("-- restoring saved connection baud rate = 57600\r\n"));
}

TEST(TransmitTime, ElevenBitTimesPerByte) {
  EXPECT_EQ(TransmitTimeMs(1000, 115200), 95u);
  EXPECT_EQ(TransmitTimeMs(100, 9600), 114u);
  EXPECT_EQ(TransmitTimeMs(1, 0), 11000u);
}

}  // namespace
