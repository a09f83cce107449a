#include "runtime/command_line.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/ini_file.h"
#include "runtime/program_state.h"
#include "testing/idle_terminal.h"
#include "testing/special_files.h"
#include "testing/temporary_folder.h"

namespace {

std::vector<std::string> Items() {
  std::vector<std::string> items;
  for (int i = 0; i < ArgCount; ++i) items.emplace_back(ArgList[i]);
  return items;
}

TEST(SplitCommandLine, Items) {
  using Items_ = std::vector<std::string>;
  struct Case {
    const char* text;
    Items_ expected;
  };
  const Case cases[] = {
      {"prog", {"prog"}},
      {"prog  a   b", {"prog", "a", "b"}},
      {"prog a   ", {"prog", "a"}},
      {"prog \"with space\" x", {"prog", "with space", "x"}},
      {"prog \"\" x", {"prog", "", "x"}},
      {"prog \"a\"b", {"prog", "a", "b"}},
      {"prog a\"b c", {"prog", "a\"b", "c"}},
      {"prog \"open to end", {"prog", "open to end"}},
      {"prog a\tb", {"prog", "a\tb"}},
  };
  for (const Case& c : cases) {
    SplitCommandLine(c.text);
    EXPECT_EQ(Items(), c.expected) << c.text;
    EXPECT_EQ(ArgList[ArgCount], nullptr);
  }
}

TEST(SplitCommandLine, BuildThenSplitGivesTheArgumentsBack) {
  const char* argv[] = {"ignored", "-d", "a job.ini", "", "COM3"};
  SplitCommandLine(BuildCommandLine("/opt/q/quarnet", 5, argv).c_str());
  EXPECT_EQ(Items(), (std::vector<std::string>{"/opt/q/quarnet", "-d", "a job.ini", "", "COM3"}));
}

TEST(SplitCommandLine, OverlongLinesAreCutInsideTheBuffers) {
  std::string many = "prog";
  for (int i = 0; i < 400; ++i) many += " a";
  SplitCommandLine(many.c_str());
  EXPECT_EQ(ArgCount, MaxArguments);

  std::string longItem = "prog " + std::string(5000, 'x');
  SplitCommandLine(longItem.c_str());
  EXPECT_EQ(ArgCount, 2);
  EXPECT_EQ(std::string(ArgList[1]).size(), size_t{CommandLineSize - 1 - 5});
}

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

class Options : public ::testing::Test {
 protected:
  void SetUp() override {
    DebugOn = DetailedDebugOn = false;
    PortNumber = 0;
    PortPath.Clear();
    BaudRate = 0;
    EvenParity = true;
    JobFile.Clear();
  }
  void Read(const char* text) {
    SplitCommandLine(text);
    ReadOptions();
  }
};

TEST_F(Options, NoArguments) {
  Read("prog");
  EXPECT_EQ(PortNumber, 0);
  EXPECT_TRUE(JobFile.Empty());
  EXPECT_FALSE(DebugOn);
  EXPECT_FALSE(DetailedDebugOn);
  EXPECT_EQ(BaudRate, 19200u);
  EXPECT_FALSE(EvenParity);
}

TEST_F(Options, Items) {
  struct Case {
    const char* text;
    bool debug, detailed;
    int port;
    const char* job;
  };
  const Case cases[] = {
      {"prog COM12", false, false, 12, ""},
      {"prog com12", false, false, 12, ""},
      {"prog 12", false, false, 12, ""},
      {"prog COM", false, false, 0, "COM"},
      {"prog job.ini", false, false, 0, "job.ini"},
      {"prog first.ini second.ini", false, false, 0, "second.ini"},
      {"prog -d", true, false, 0, ""},
      {"prog -dd", true, true, 0, ""},
      {"prog /DD", true, true, 0, ""},
      {"prog +dD", true, true, 0, ""},
      {"prog -d -d", true, false, 0, ""},
      {"prog -ddd", true, true, 0, ""},
      {"prog \"\"", false, false, 0, ""},
      {"prog -d /tmp/job.ini 7", true, false, 7, "/tmp/job.ini"},
      {"prog /job.ini", false, false, 0, "/job.ini"},
  };
  for (const Case& c : cases) {
    SetUp();
    Read(c.text);
    EXPECT_EQ(DebugOn, c.debug) << c.text;
    EXPECT_EQ(DetailedDebugOn, c.detailed) << c.text;
    EXPECT_EQ(PortNumber, c.port) << c.text;
    EXPECT_EQ(JobFile.View(), c.job) << c.text;
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
  if (!MakeFifo(fifo)) GTEST_SKIP() << "no FIFOs on this system";
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

using OptionsDeathTest = Options;

TEST_F(OptionsDeathTest, BadLetterPrintsUsageAndEnds) {
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Read("prog -x");
      },
      ::testing::ExitedWithCode(1),
      "Usage: Quarnet \\[options\\] \\[Filename\\] \\[\\[COM\\]<port>\\]\r\n\r\n"
      "-d           Debug on\r\n-dd          Detailed Debug on \\(shows com data\\)\r\n"
      "Fatal Error: Incorrect arguments");

  TemporaryFolder folder("options");
  std::string job = folder.Path("job.ini");
  std::string text = "prog " + job + " -x";
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Read(text.c_str());
      },
      ::testing::ExitedWithCode(2), "Incorrect arguments");
  EXPECT_EQ(ReadIni(String::Copy(job), "Message"), "Incorrect arguments");
}

// The program checks the items before it starts; read without that check, a port that
// is none still ends as a usage error.
TEST_F(OptionsDeathTest, APortThatIsNoneEndsAsAUsageError) {
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Read("prog COM65543");
      },
      ::testing::ExitedWithCode(1), "COM65543 is not a port: .*\r\nUsage: Quarnet .*Fatal Error: Incorrect arguments");
}

}  // namespace
