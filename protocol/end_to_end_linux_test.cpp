// The tool's discovery and connection over a real pseudo-terminal, in real time,
// against quarnet-sim serving the demo system.
#include <gtest/gtest.h>

#include <string>

#include "link/port_control.h"
#include "platform/tty_device.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "runtime/program_state.h"
#include "testing/console_capture.h"
#include "testing/saved_variable.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"

namespace {

TEST(EndToEnd, UnitNamedByThePortListIsFoundConnectedAndReported) {
  TemporaryFolder folder("e2e");
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("com3"));
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();

  SerialDeviceOpener before = InstallSerialDeviceOpener(OpenTtyDevice);
  SavedVariable devices("VELANTORDEVDIR", folder.Path());
  SavedVariable portList("VELANTORPORTLIST", "COM3");
  ConsoleCapture console;
  UnitInfo unit{};
  bool found = SearchEnvironmentPorts(unit);
  bool connected = found && Connect(unit);
  if (connected) {
    ReadExtendedInfo(unit);
    ReadAdvancedInfo(unit);
    WriteUnitReport(unit);
  }
  ClosePort();
  InstallSerialDeviceOpener(before);

  ASSERT_TRUE(found) << console.Text();
  ASSERT_TRUE(connected) << console.Text();
  EXPECT_EQ(PortNumber, 3);
  EXPECT_EQ(unit.SlaveAddress, 5);
  EXPECT_TRUE(console.Said("COM3 opened\r\n")) << console.Text();
  EXPECT_TRUE(console.Said("   Unit Type       : KD6/KP6 Display\r\n")) << console.Text();
  EXPECT_TRUE(console.Said("   Software        : v6.12r41\r\n")) << console.Text();
  EXPECT_TRUE(console.Said("   Serial No       : 2318842\r\n")) << console.Text();
  EXPECT_TRUE(console.Said("   Information     : Silo 3 discharge\r\n")) << console.Text();
}

}  // namespace
