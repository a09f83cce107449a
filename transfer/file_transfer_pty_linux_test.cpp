// Files to and from quarnet-sim over a real pseudo-terminal, in real time: the tool
// finds and connects to the unit, sends a file to it and one through it to the unit
// behind it, reads a file the unit was given at the start, and the files the
// simulator writes out when it ends are compared byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port_control.h"
#include "platform/tty_device.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "testing/pseudorandom.h"
#include "testing/console_capture.h"
#include "testing/saved_variable.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"
#include "transfer/file_checksums.h"
#include "transfer/file_sending.h"

namespace {

TEST(FileTransferOverPseudoTerminal, FilesArriveByteForByte) {
  TemporaryFolder folder("file-pty");
  folder.Write("system.ini",
               "[unit 5]\nAttached = yes\nCard = 653\nSoftware = 6.12r41\nSpeed = 115200\n"
               "File = 1:0x0100, 1500, counting\n"
               "[unit 2]\nCard = 659\nSoftware = 6.12r41\n");
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("com3"),
                             {"--system", folder.Path("system.ini"), "--dump", folder.Path("dump")});
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();

  SerialDeviceOpener before = InstallSerialDeviceOpener(OpenTtyDevice);
  SavedVariable devices("VELANTORDEVDIR", folder.Path());
  SavedVariable portList("VELANTORPORTLIST", "COM3");
  ConsoleCapture console;
  Pseudorandom random;
  std::string local = random.Bytes(3000);
  std::string remote = random.Bytes(700);
  auto bytes = [](const std::string& text) { return reinterpret_cast<const uint8_t*>(text.data()); };
  UnitInfo unit{};
  UnitInfo behind{};
  behind.unitmode = ModeSoftware;
  behind.SlaveAddress = 2;
  behind.softwareversion = 612;
  std::vector<uint8_t> buffer(2048);
  uint32_t size = 0;
  bool connected = SearchEnvironmentPorts(unit) && Connect(unit);
  bool sent = connected && SendFile(unit, 1, 0x0300, bytes(local), 3000, true);
  bool relayed = connected && SendFile(behind, 1, 0x0301, bytes(remote), 700, true);
  bool received = connected && ReceiveFile(unit, 1, 0x0100, buffer.data(), 2048, size);
  bool upToDate = connected && !FileNeedsUpdate(unit, 1, 0x0300, bytes(local), 3000, true);
  ClosePort();
  InstallSerialDeviceOpener(before);
  EXPECT_EQ(simulator.Stop(), 0);

  ASSERT_TRUE(connected) << console.Text();
  EXPECT_TRUE(RelayCapable);
  EXPECT_TRUE(sent) << console.Text();
  EXPECT_TRUE(relayed) << console.Text();
  ASSERT_TRUE(received) << console.Text();
  EXPECT_TRUE(upToDate) << console.Text();
  ASSERT_EQ(size, 1500u);
  for (uint32_t i = 0; i < size; ++i) ASSERT_EQ(buffer[i], static_cast<uint8_t>(i)) << "at " << i;
  EXPECT_EQ(folder.Read("dump/unit5-drive1-file0300.bin"), local);
  EXPECT_EQ(folder.Read("dump/unit2-drive1-file0301.bin"), remote);
  char crc[8];
  uint16_t value = FileCrc(bytes(local), 3000);
  std::snprintf(crc, sizeof crc, "%02X %02X", value >> 8, value & 0xFF);
  EXPECT_EQ(folder.Read("dump/unit5-drive1-file0300.properties"), std::string("01 42 ") + crc + "\n");
}

}  // namespace
