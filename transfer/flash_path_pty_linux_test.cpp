// The flash path over a real pseudo-terminal, in real time, against quarnet-sim:
// the KD6 programmer into RAM, the KD6 software into flash, the programmer reset,
// the unit restarted and its new identity read back. The transfers run at the
// fastest programmer speed so the test takes seconds, not minutes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "link/port_control.h"
#include "platform/tty_device.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "protocol/speed_negotiation.h"
#include "protocol/unit_procedures.h"
#include "runtime/clock.h"
#include "testing/console_capture.h"
#include "testing/saved_variable.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"
#include "transfer/flash_programming.h"
#include "transfer/image_catalogue.h"
#include "transfer/programmer_download.h"
#include "transfer/simulated_unit_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST(FlashPathOverAPseudoTerminal, TheKd6RunsTheSoftwareWrittenIntoItsFlash) {
  TemporaryFolder folder("flash");
  std::string system = folder.Path("system.ini");
  std::ofstream(system) << Kd6System;
  std::string link = folder.Path("com3");
  auto simulator = std::make_unique<SimulatorProcess>(QUARNET_SIM_PROGRAM, link,
                                                      std::vector<std::string>{"--system", system});
  ASSERT_TRUE(simulator->Ready());

  SerialDeviceOpener before = InstallSerialDeviceOpener(OpenTtyDevice);
  SavedVariable devices("VELANTORDEVDIR"), ports("VELANTORPORTLIST"), images("VELANTORIMAGEDIR");
  setenv("VELANTORDEVDIR", folder.Path().c_str(), 1);
  setenv("VELANTORPORTLIST", "COM3", 1);
  setenv("VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER, 1);
  ConsoleCapture console;
  ProgrammerBaudRate = 921600;

  UnitInfo unit{};
  UnitInfo restarted{};
  bool updated = SearchEnvironmentPorts(unit) && Connect(unit) && InitialiseForUpdate(unit) &&
                 SelectFlashProgrammer(unit) && DownloadProgrammer(unit, unit.ProgrammerImage, "") &&
                 SelectSoftwareImage(unit) && WriteSoftware(unit, unit.SoftwareImage) && ResetProgrammer(unit) &&
                 ResetUnit(unit);
  bool found = false;
  if (updated) {
    SleepMilliseconds(2500);  // the unit's restart and its boot loader's window
    found = FindUnitOnPort(restarted) && Connect(restarted) && ReadAdvancedInfo(restarted);
  }
  ProgrammerBaudRate = 0;
  ClosePort();
  InstallSerialDeviceOpener(before);
  simulator.reset();

  ASSERT_TRUE(updated) << console.Text();
  ASSERT_TRUE(found) << console.Text();
  EXPECT_EQ(restarted.cardnumber, 653);
  EXPECT_EQ(restarted.softwareversion, 610);
  EXPECT_EQ(restarted.softwarebuild, 57);
  EXPECT_EQ(restarted.checksum, 0x1CD6C5F0u);
  EXPECT_EQ(restarted.softwarecrc, 0x26D1);
}

}  // namespace
