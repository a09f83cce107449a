// The tool's discovery and connection over a real pseudo-terminal, in real time,
// against quarnet-sim serving the demo system.
#include <gtest/gtest.h>

#include <string>

#include "link/port_control.h"
#include "platform/tty_device.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "testing/saved_variable.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"

namespace {

std::string console;

TEST(EndToEnd, UnitNamedByThePortListIsFoundConnectedAndReported) {
  TemporaryFolder folder("e2e");
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("com3"));
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();

  SerialDeviceOpener before = InstallSerialDeviceOpener(OpenTtyDevice);
  SavedVariable devices("VELANTORDEVDIR", folder.Path());
  SavedVariable portList("VELANTORPORTLIST", "COM3");
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
  InstallSerialDeviceOpener(before);
  InstallConsoleSink(nullptr);

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
