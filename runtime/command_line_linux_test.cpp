// The command line's device paths and job files as Linux has them: ttys, links,
// FIFOs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/command_line.h"
#include "runtime/command_line_fixture.h"
#include "runtime/program_state.h"
#include "testing/idle_terminal.h"
#include "testing/special_files.h"
#include "testing/temporary_folder.h"

namespace {

constexpr const char* PortForms =
    " is not a port: a port is COM1 to COM255, its number alone, or a device path such as /dev/ttyUSB0";

TEST(ReadPortItem, ComPortsDevicesAndWhatOnlyLooksLikeAPort) {
  TemporaryFolder folder("port-items");
  IdleTerminal terminal;
  ASSERT_FALSE(terminal.Path().empty());
  std::filesystem::create_symlink(terminal.Path(), folder.Path("sim"));
  folder.Write("job.ini", "Message=\r\n");
  std::filesystem::create_symlink(folder.Path("job.ini"), folder.Path("linked.ini"));
  struct Case {
    std::string item;
    PortItem kind;
    int number;
  };
  const Case cases[] = {
      {"COM3", PortItem::ComPort, 3},
      {"3", PortItem::ComPort, 3},
      {"com3", PortItem::ComPort, 3},
      {"Com007", PortItem::ComPort, 7},
      {"COM255", PortItem::ComPort, 255},
      {"/dev/ttyUSB0", PortItem::DevicePath, 0},
      {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3Q7B-if00-port0", PortItem::DevicePath, 0},
      {terminal.Path(), PortItem::DevicePath, 0},
      {folder.Path("sim"), PortItem::DevicePath, 0},
      {"COMX", PortItem::BadPort, 0},
      {"COM1x", PortItem::BadPort, 0},
      {"COM-1", PortItem::BadPort, 0},
      {"COM0", PortItem::BadPort, 0},
      {"0", PortItem::BadPort, 0},
      {"COM256", PortItem::BadPort, 0},
      {"COM65536", PortItem::BadPort, 0},
      {"COM65543", PortItem::BadPort, 0},
      {"65543", PortItem::BadPort, 0},
      {"COM99999", PortItem::BadPort, 0},
      {"COM99999999999999999999", PortItem::BadPort, 0},
      {"COM", PortItem::NotAPort, 0},
      {"COM3.ini", PortItem::NotAPort, 0},
      {"job.ini", PortItem::NotAPort, 0},
      {folder.Path("linked.ini"), PortItem::NotAPort, 0},
      {"/dev/pts", PortItem::NotAPort, 0},
      {"", PortItem::NotAPort, 0},
  };
  for (const Case& c : cases) {
    int16_t number = 0;
    EXPECT_EQ(ReadPortItem(c.item.c_str(), number), c.kind) << c.item;
    EXPECT_EQ(number, c.number) << c.item;
  }
}

TEST_F(Options, ThePortAndTheJobFileNamedByTheirOptions) {
  TemporaryFolder folder("port-options");
  IdleTerminal terminal;
  ASSERT_FALSE(terminal.Path().empty());
  std::string sim = folder.Path("sim");
  std::filesystem::create_symlink(terminal.Path(), sim);
  struct Case {
    std::string text;
    int port;
    std::string path;
    std::string job;
  };
  const Case cases[] = {
      {"prog -p COM3", 3, "", ""},
      {"prog /p 4 job.ini", 4, "", "job.ini"},
      {"prog --port=com5", 5, "", ""},
      {"prog --port 6 --job=COM3", 6, "", "COM3"},
      {"prog --job 3", 0, "", "3"},
      {"prog -d /dev/ttyUSB0 job.ini", PathPortNumber, "/dev/ttyUSB0", "job.ini"},
      {"prog " + sim, PathPortNumber, sim, ""},
      {"prog -p " + terminal.Path(), PathPortNumber, terminal.Path(), ""},
      {"prog --port=/dev/ttyACM0 COM7", 7, "", ""},
      {"prog COM7 -p /dev/ttyACM0", PathPortNumber, "/dev/ttyACM0", ""},
  };
  for (const Case& c : cases) {
    SetUp();
    Read(c.text.c_str());
    EXPECT_EQ(PortNumber, c.port) << c.text;
    EXPECT_EQ(PortPath.View(), c.path) << c.text;
    EXPECT_EQ(JobFile.View(), c.job) << c.text;
  }
}

TEST_F(Options, MistakenPortsAndJobFilesAreRefusedBeforeAnythingIsSet) {
  TemporaryFolder folder("port-mistakes");
  IdleTerminal terminal;
  ASSERT_FALSE(terminal.Path().empty());
  std::string fifo = folder.Path("fifo");
  ASSERT_TRUE(MakeFifo(fifo));
  std::string linked = folder.Path("linked.ini");
  std::filesystem::create_symlink(terminal.Path(), linked);
  std::string fifoRefusal = "job file " + fifo + " is a FIFO, not an INI file; it is left as it is";
  constexpr ItemsFault Mistake = ItemsFault::Mistake;
  constexpr ItemsFault Refused = ItemsFault::JobFileRefused;
  struct Case {
    std::string text;
    std::string error;
    ItemsFault fault;
  };
  const Case cases[] = {
      {"prog COMX", std::string("COMX") + PortForms, Mistake},
      {"prog job.ini COM65543", std::string("COM65543") + PortForms, Mistake},
      {"prog -x COM0", std::string("COM0") + PortForms, Mistake},
      {"prog -p job.ini", std::string("job.ini") + PortForms, Mistake},
      {"prog --port=COM1x", std::string("COM1x") + PortForms, Mistake},
      {"prog -p", "-p needs a port", Mistake},
      {"prog --port", "--port needs a port", Mistake},
      {"prog --port= COM3", "--port needs a port", Mistake},
      {"prog --job", "--job needs a file name", Mistake},
      {"prog --job=", "--job needs a file name", Mistake},
      {"prog " + fifo, fifoRefusal, Refused},
      {"prog COM3 --job " + fifo, fifoRefusal, Refused},
      {"prog --job=" + linked,
       "job file " + linked + " is a link to a character device, not an INI file; it is left as it is", Refused},
  };
  for (const Case& c : cases) {
    SetUp();
    SplitCommandLine(c.text.c_str());
    std::string error;
    EXPECT_EQ(CheckPortAndJobFile(error), c.fault) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
  // The check only looks: the option values are ReadOptions' to set.
  SetUp();
  SplitCommandLine("prog -dd COM3 job.ini");
  std::string error;
  EXPECT_EQ(CheckPortAndJobFile(error), ItemsFault::None) << error;
  EXPECT_EQ(PortNumber, 0);
  EXPECT_TRUE(JobFile.Empty());
  EXPECT_FALSE(DebugOn);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

}  // namespace
