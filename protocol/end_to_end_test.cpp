// The tool's discovery and connection over a real pseudo-terminal, in real time,
// against quarnet-sim serving the demo system.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "link/port_control.h"
#include "platform/tty_device.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "sim/simulator_process.h"

namespace {

namespace fs = std::filesystem;

std::string console;

TEST(EndToEnd, UnitNamedByThePortListIsFoundConnectedAndReported) {
  char pattern[] = "/tmp/quarnet-e2e-XXXXXX";
  fs::path folder = mkdtemp(pattern);
  std::string link = (folder / "com3").string();
  auto simulator = std::make_unique<SimulatorProcess>(QUARNET_SIM_PROGRAM, link);
  ASSERT_TRUE(simulator->Ready());

  SerialDeviceOpener before = InstallSerialDeviceOpener(OpenTtyDevice);
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
  InstallSerialDeviceOpener(before);
  InstallConsoleSink(nullptr);
  unsetenv("VELANTORDEVDIR");
  unsetenv("VELANTORPORTLIST");
  simulator.reset();
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
