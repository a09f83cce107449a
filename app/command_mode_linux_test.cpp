// The main window's operations run from a shell against quarnet-sim's demo system on a
// pseudo-terminal, in real time: what a script sees on standard output, the exit code
// and the job file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "testing/program_run.h"
#include "testing/simulator_process.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

class Command : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder.Path("dev"));
    fs::create_directories(folder.Path("locks"));
    fs::copy_file(QUARNET_PROGRAM, folder.Path("quarnet"));
  }

  std::string Environment(const std::string& ports) const {
    return "env -u VELANTORPORT " + ports + " VELANTORIMAGEDIR=" QUARNET_IMAGE_FOLDER
           " VELANTORDEVDIR=dev VELANTORLOCKDIR=locks XDG_CONFIG_HOME=" + folder.Path("config") + " ";
  }

  // quarnet with `arguments`, its standard output into out.txt, no terminal on its input.
  ProgramRun Quarnet(const std::string& arguments, const std::string& ports = "VELANTORPORTLIST=COM4",
                     std::chrono::seconds limit = std::chrono::seconds(60)) {
    return RunProgram(folder.Path(), Environment(ports) + "./quarnet " + arguments + " >out.txt </dev/null", "",
                      limit);
  }

  std::string Results() { return folder.Read("out.txt"); }

  // quarnet-sim on COM4 serving the system `systemText`, with `options` besides; the
  // line and the units eight times as fast as real ones, which changes nothing the
  // program does but the time it takes.
  SimulatorProcess Simulate(const std::string& systemText, std::vector<std::string> options = {}) {
    folder.Write("system.txt", systemText);
    options.insert(options.begin(), {"--system", folder.Path("system.txt"), "--speedup", "8"});
    return SimulatorProcess(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"), options);
  }

  TemporaryFolder folder{"command"};
};

TEST_F(Command, ListPrintsTheSystemAloneOnStandardOutput) {
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"));
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  // Through the environment's port list, and on the port named, with a job file.
  const std::pair<const char*, const char*> ways[] = {{"--list", "VELANTORPORTLIST=COM4"},
                                                     {"--list job.ini COM4", "-u VELANTORPORTLIST"}};
  for (auto [arguments, ports] : ways) {
    ProgramRun run = Quarnet(arguments, ports);
    EXPECT_EQ(run.exitCode, 0) << arguments << run.output;
    EXPECT_EQ(Results(),
              "02\tKT7\t6.12r41\t2320117\tSilo 3 load cells\n"
              "05\tKD6\t6.12r41\t2318842\tSilo 3 discharge\n"
              "09\tKR5\t6.08r12\t2209455\tDischarge gate I/O\n")
        << arguments;
    EXPECT_NE(run.output.find("Done: Units listed: 3"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("aborted"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("ToolFormInitialise"), std::string::npos) << "the shell builds no window";
    EXPECT_TRUE(fs::is_empty(folder.Path("locks")));
  }
  EXPECT_EQ(folder.Read("job.ini"), "Message=Units listed: 3\r\n");
}

// The listing costs the identification of each unit, once: no settings are read, as
// the window reads them for the unit it shows.
TEST_F(Command, ListAsksEachUnitWhoItIsOnce) {
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"), {"--log", folder.Path("traffic.txt")});
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = Quarnet("--list");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  simulator.Stop();
  std::map<std::string, int> remoteRequests;
  std::istringstream traffic(folder.Read("traffic.txt"));
  for (std::string line; std::getline(traffic, line);) {
    size_t heard = line.find(" RX ");
    if (heard == std::string::npos) continue;
    std::string request = line.substr(heard + 4, 11);
    EXPECT_NE(request.substr(2, 6), " 45 10 8") << "a settings call: " << line;
    if (request.starts_with("02") || request.starts_with("09")) ++remoteRequests[request];
  }
  const std::map<std::string, int> identification = {
      {"02 45 10 10", 1}, {"02 45 10 15", 1}, {"02 45 10 16", 1}, {"02 45 10 14", 1},
      {"09 45 10 10", 1}, {"09 45 10 15", 1}, {"09 45 10 16", 1}, {"09 45 10 14", 1},
  };
  EXPECT_EQ(remoteRequests, identification);
}

// The short options a shell user tries first, and a quiet run: the results on standard
// output, nothing on standard error but a failure; lines end with LF there.
TEST_F(Command, ShortOptionsAndQuietRuns) {
  ProgramRun run = Quarnet("-h");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Results().rfind("Usage: quarnet", 0), 0u) << Results();
  run = Quarnet("-v");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Results(), "Quarnet 6.10r57\n");

  run = Quarnet("--list -q");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, "Failed: Cannot find a Velantor unit\n");
  EXPECT_EQ(Results(), "");

  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"));
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  run = Quarnet("--quiet --list");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(Results().substr(0, 3), "02\t");
  run = Quarnet("--list");
  EXPECT_NE(run.output.find("\nConnected\n"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find('\r'), std::string::npos) << run.output;
}

// --json: one document on standard output, whatever the operation and however it ended.
TEST_F(Command, JsonGivesTheResultsAsOneDocument) {
  ProgramRun run = Quarnet("--list --json");
  nlohmann::json failed = nlohmann::json::parse(Results());
  EXPECT_EQ(failed["operation"], "list");
  EXPECT_EQ(failed["completed"], false);
  EXPECT_EQ(failed["message"], "Cannot find a Velantor unit");
  EXPECT_EQ(failed["exitCode"], 1);
  EXPECT_EQ(run.exitCode, 1);

  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"));
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  run = Quarnet("--json --list");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  nlohmann::json list = nlohmann::json::parse(Results());
  EXPECT_EQ(list["completed"], true);
  EXPECT_EQ(list["message"], "Units listed: 3");
  ASSERT_EQ(list["units"].size(), 3u);
  const nlohmann::json& display = list["units"][1];
  EXPECT_EQ(display["address"], 5);
  EXPECT_EQ(display["answers"], true);
  EXPECT_EQ(display["model"], "KD6");
  EXPECT_EQ(display["software"], "6.12r41");
  EXPECT_EQ(display["serialNumber"], 2318842);
  EXPECT_EQ(display["information"], "Silo 3 discharge");
  EXPECT_EQ(display["hasSettings"], true);

  run = Quarnet("--save-setup \"a \\\"b\\\".csv\" --unit 5 --json");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  nlohmann::json saved = nlohmann::json::parse(Results());
  EXPECT_EQ(saved["operation"], "save-setup");
  EXPECT_EQ(saved["unit"], 5);
  EXPECT_EQ(saved["files"], nlohmann::json::array({"a \"b\".csv"}));
  EXPECT_EQ(saved["message"], "Settings saved");
}

// --ports lists the ports the search walks, and which one another program holds by the
// advisory lock serial programs take, without opening any.
TEST_F(Command, PortsListsTheSearchedPortsAndWhichAreHeld) {
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"), {"--log", folder.Path("traffic.txt")});
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = Quarnet("--ports");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Results(), "COM4\tdev/com4\t-\t-\tfree\t-\n");

  int held = open(folder.Path("dev/com4").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
  run = Quarnet("--ports --json");
  close(held);
  nlohmann::json document = nlohmann::json::parse(Results());
  ASSERT_EQ(document["ports"].size(), 1u);
  EXPECT_EQ(document["ports"][0]["name"], "COM4");
  EXPECT_EQ(document["ports"][0]["inUse"], true);
  simulator.Stop();
  EXPECT_EQ(folder.Read("traffic.txt").find(" RX "), std::string::npos) << "nothing reached the unit";
}

// A unit's text in the 8-bit code page its display uses reaches a script as UTF-8.
TEST_F(Command, ListWritesTheUnitsTextsInUtf8) {
  SimulatorProcess simulator = Simulate("[unit 5]\nCard = 653\nSoftware = 6.12r41\nInformation = Waage \\xE4 \\x80 5\n");
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = Quarnet("--list");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Results(), "05\tKD6\t6.12r41\t0\tWaage \xC3\xA4 \xE2\x82\xAC 5\n");
}

std::string Underscored(std::string path) {
  for (char& c : path) c = c == '/' ? '_' : c;
  return path;
}

// A port named by a device path, as a serial adapter under /dev is named: the simulator's
// pseudo-terminal by its own path and through a link of no port folder is a port of its
// own, named and locked by its path; through the device folder's link com4 it is COM4.
TEST_F(Command, AUnitIsListedOnAPortNamedByItsDevicePath) {
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("sim-link"));
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  const std::string terminal = fs::read_symlink(folder.Path("sim-link"));
  const std::string link = folder.Path("sim-link");
  struct Case {
    std::string arguments;
    std::string opened;
    std::string lockFile;
  };
  const Case cases[] = {
      {"--list -dd " + terminal, terminal + " opened", "lockVelantorCommPort" + Underscored(terminal)},
      {"-dd --port=" + link + " --list job.ini", link + " opened", "lockVelantorCommPort" + Underscored(link)},
      {"--list -dd -p " + terminal, "COM4 opened", "lockVelantorCommPort4"},
  };
  for (const Case& c : cases) {
    // The last case names the simulator in the device folder, where it is COM4.
    if (c.opened == "COM4 opened") fs::create_symlink(terminal, folder.Path("dev/com4"));
    ProgramRun run = Quarnet(c.arguments, "-u VELANTORPORTLIST");
    EXPECT_EQ(run.exitCode, 0) << c.arguments << run.output;
    EXPECT_EQ(Results(),
              "02\tKT7\t6.12r41\t2320117\tSilo 3 load cells\n"
              "05\tKD6\t6.12r41\t2318842\tSilo 3 discharge\n"
              "09\tKR5\t6.08r12\t2209455\tDischarge gate I/O\n")
        << c.arguments;
    EXPECT_NE(run.output.find(c.opened + "\n"), std::string::npos) << c.arguments << run.output;
    EXPECT_NE(run.output.find("ClosePort deleting lock file: locks/" + c.lockFile + "\n"), std::string::npos)
        << c.arguments;
    EXPECT_TRUE(fs::is_empty(folder.Path("locks"))) << c.arguments;
  }
  EXPECT_EQ(folder.Read("job.ini"), "Message=Units listed: 3\r\n");
  EXPECT_TRUE(fs::is_character_file(terminal));
}

// What the window would grey out or not list is refused, and nothing is written.
TEST_F(Command, AUnitOperationNeedsAUnitThatOffersIt) {
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"));
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  const std::pair<const char*, const char*> cases[] = {
      {"--save-setup s.csv --unit 30 job.ini", "Unit 30 is not in the system"},
      {"--save-setup s.csv --unit 9 job.ini", "Unit 9 has no commissioning settings"},
      {"--generate-fieldbus f.csv --unit 2 job.ini", "Unit 2 has no fieldbus description to generate"},
  };
  for (auto [arguments, message] : cases) {
    ProgramRun run = Quarnet(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments << run.output;
    EXPECT_EQ(folder.Read("job.ini"), std::string("Message=") + message + "\r\n");
  }
  EXPECT_FALSE(fs::exists(folder.Path("s.csv")));
  EXPECT_FALSE(fs::exists(folder.Path("f.csv")));
}

TEST_F(Command, AQuestionWithNobodyToAskIsRefusedBeforeThePortOpens) {
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"), {"--log", folder.Path("traffic.log")});
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = Quarnet("--update-all job.ini");
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("add --yes to answer OK"), std::string::npos) << run.output;
  EXPECT_EQ(Results(), "");
  EXPECT_FALSE(fs::exists(folder.Path("LogFiles")));
  simulator.Stop();
  EXPECT_EQ(folder.Read("traffic.log").find(" RX "), std::string::npos) << folder.Read("traffic.log");
}

// Two weight indicators with every setting the window reads: the setup of the one on
// the port is cloned into the other.
constexpr const char* TwoIndicators = R"([unit 5]
Attached = yes
Card = 653
Software = 6.12r41
Product = 61
Setting = 8044, 102, 0, 1, kg
Setting = 8060, 5000, 0, 5, kg
Setting = 8120, 0.5, 1, 1, s
Setting = 8910, 0, 0, 1, kg
Setting = 8912, 0, 0, 1, kg
Setting = 8124, 2.0004, 4, 1, mV/V
Setting = 8332, 4500, 0, 5, kg
Setting = 8740, 1250, 1, 5, kg
Setting = 8700, 1180, 1, 5, kg
Setting = 8800, 9.2, 2, 1, mA

[unit 7]
Card = 653
Software = 6.12r41
Product = 61
Setting = 8044, 102, 0, 1, kg
Setting = 8060, 300, 0, 1, kg
Setting = 8120, 2.0, 1, 1, s
Setting = 8910, 0, 0, 1, kg
Setting = 8912, 0, 0, 1, kg
Setting = 8124, 1.9, 4, 1, mV/V
Setting = 8332, 250, 0, 5, kg
Setting = 8740, 0, 1, 5, kg
Setting = 8700, 0, 1, 5, kg
Setting = 8800, 4, 2, 1, mA
)";

std::string SettingLines(const std::string& setup) {
  std::string lines;
  for (size_t at = setup.find("Setting,"); at != std::string::npos; at = setup.find("Setting,", at + 1)) {
    lines += setup.substr(at, setup.find('\n', at) + 1 - at);
  }
  return lines;
}

TEST_F(Command, ASetupSavedFromOneUnitLoadsIntoAnother) {
  SimulatorProcess simulator = Simulate(TwoIndicators);
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = Quarnet("--save-setup plant.csv --unit 5 job.ini");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(folder.Read("job.ini"), "Message=Settings saved\r\n");
  EXPECT_NE(run.output.find("Saving setup 90%"), std::string::npos) << run.output;
  std::string saved = folder.Read("plant.csv");
  ASSERT_NE(SettingLines(saved).find("Setting,8060,5000,"), std::string::npos) << saved;

  run = Quarnet("--load-setup plant.csv --unit 7 --type \"clone unit\" job.ini");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(folder.Read("job.ini"), "Message=Settings loaded - please restart the unit and reconnect\r\n");

  run = Quarnet("--save-setup copy.csv --unit 7");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(SettingLines(folder.Read("copy.csv")), SettingLines(saved));
  EXPECT_EQ(Results(), "copy.csv\n") << "the file written is the result";
}

// A terminal the operator watches, 60 columns wide: everything written to it, read as
// it comes so that the writer never waits.
class OperatorTerminal {
 public:
  OperatorTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    winsize size{};
    size.ws_col = 60;
    size.ws_row = 24;
    ioctl(master_, TIOCSWINSZ, &size);
    path_ = ptsname(master_);
    // Held open here, so that the reader sees the end only when this side lets go.
    slave_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios modes{};
    tcgetattr(slave_, &modes);
    cfmakeraw(&modes);
    tcsetattr(slave_, TCSANOW, &modes);
    reader_ = std::thread([this] {
      char buffer[4096];
      for (ssize_t got; (got = read(master_, buffer, sizeof buffer)) > 0;) seen_.append(buffer, got);
    });
  }
  ~OperatorTerminal() { Seen(); }
  const std::string& Path() const { return path_; }
  // What the terminal received; the program must have ended.
  const std::string& Seen() {
    if (slave_ >= 0) close(std::exchange(slave_, -1));
    if (reader_.joinable()) reader_.join();
    if (master_ >= 0) close(std::exchange(master_, -1));
    return seen_;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::string seen_;
  std::thread reader_;
};

// On a terminal the progress is one line written over in place, fitted to the
// terminal, and gone at the end; on a pipe it is plain lines.
TEST_F(Command, ProgressIsOneLineOnATerminalAndPlainLinesOnAPipe) {
  SimulatorProcess simulator = Simulate(TwoIndicators);
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = Quarnet("--save-setup plant.csv --unit 5");
  ASSERT_EQ(run.exitCode, 0) << run.output;

  OperatorTerminal terminal;
  ASSERT_FALSE(terminal.Path().empty());
  run = RunProgram(folder.Path(), Environment("VELANTORPORTLIST=COM4") +
                                      "./quarnet --load-setup plant.csv --unit 7 >out.txt </dev/null 2>" +
                                      terminal.Path());
  ASSERT_EQ(run.exitCode, 0) << terminal.Seen();
  const std::string& seen = terminal.Seen();
  const std::string erase = "\x1b[K";
  size_t drawn = 0;
  size_t lastDrawn = 0;
  int loading = 0;
  for (size_t end = seen.find(erase); end != std::string::npos; end = seen.find(erase, end + 1)) {
    size_t start = seen.rfind('\r', end);
    ASSERT_NE(start, std::string::npos);
    std::string line = seen.substr(start + 1, end - start - 1);
    if (line.empty()) continue;
    ++drawn;
    lastDrawn = end;
    EXPECT_LE(line.size(), 59u) << line;
    EXPECT_EQ(line.rfind("Velantor Unit 7 (KD6)", 0), 0u) << line;
    loading += line.find(": Loading setup") != std::string::npos ? 1 : 0;
  }
  EXPECT_GE(loading, 3) << seen;
  EXPECT_NE(seen.find("\r" + erase, lastDrawn), std::string::npos) << "the line is taken away at the end";
  EXPECT_EQ(seen.find(".........."), std::string::npos) << "no dots break the line";
  EXPECT_NE(seen.find("Done: Settings loaded"), std::string::npos) << seen;

  run = Quarnet("--load-setup plant.csv --unit 7");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  for (const char* line : {"[Velantor Unit 7 (KD6): Loading setup]\n", "[Velantor Unit 7 (KD6): Loading setup 80%]\n"}) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << run.output;
  }
  EXPECT_EQ(run.output.find(erase), std::string::npos) << "a pipe is no terminal";
}

// A KR5 on the port that already runs the tool's software, and one behind it on older
// software that takes update files: the update sends a software image and a programmer
// through the network, about 20 s at the link's speed.
constexpr const char* OneUnitBehind = R"([unit 5]
Attached = yes
Card = 649
Mcu = LPC1768
Software = 6.10r57
Checksum = 0x46199722
SoftwareCrc = 0x687D
BootLoaderVersion = 4
BootLoaderRelease = 18
BufferSize = 8192
UnitFlags = 0x01
Information = Gate I/O
Logs = yes
DebugLogs = 0x0301, 0x0302

[unit 9]
Card = 649
Mcu = LPC1768
Software = 6.04r02
BootLoaderVersion = 4
BootLoaderRelease = 15
BufferSize = 8192
UnitFlags = 0x01
Information = Reject gate I/O
)";

TEST_F(Command, UpdateAllWithYesBringsEveryUnitToTheToolsSoftware) {
  SimulatorProcess simulator = Simulate(OneUnitBehind);
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = Quarnet("--update-all --yes job.ini");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(folder.Read("job.ini"), "Message=Success: all operations are complete\r\n");
  EXPECT_NE(run.output.find("-- answered OK (--yes)"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Velantor Unit: 9 updated"), std::string::npos) << run.output;
  EXPECT_TRUE(fs::is_empty(folder.Path("locks")));
  EXPECT_EQ(Results(), "");

  // The units restart with the update applied; the list shows it once they are back.
  std::string expected = "05\tKR5\t6.10r57\t0\tGate I/O\n09\tKR5\t6.10r57\t0\tReject gate I/O\n";
  for (int attempt = 0; attempt < 5 && Results() != expected; ++attempt) run = Quarnet("--list");
  EXPECT_EQ(Results(), expected) << run.output;
}

TEST_F(Command, SaveLogsWritesEveryUnitsLogsBesideTheProgram) {
  SimulatorProcess simulator = Simulate(OneUnitBehind);
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = Quarnet("--save-logs job.ini");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::string saved = folder.Path("VelantorLogFiles");
  EXPECT_EQ(folder.Read("job.ini"),
            "Message=The system logs from all units have been saved into the following folder:- " + saved + "\r\n");
  EXPECT_EQ(FileText(saved + "/CrashLog_05 KQ0 KR5 0.txt").rfind("Crash log of unit 5 card 649\r\n", 0), 0u);
  EXPECT_NE(FileText(saved + "/DebugLog_05 KQ0 KR5 0.txt").find("Debug log 0302 of unit 5"), std::string::npos);
  EXPECT_FALSE(fs::exists(saved + "/CrashLog_09 KQ0 KR5 0.txt")) << "unit 9 keeps no logs";
}

// Without --json the files an operation wrote are its results, one path a line.
TEST_F(Command, TheFilesWrittenArePrintedOneALine) {
  SimulatorProcess simulator = Simulate(OneUnitBehind);
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = Quarnet("--save-logs -q");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::string saved = folder.Path("VelantorLogFiles");
  EXPECT_EQ(Results(), saved + "/ConfigurationLog_05 KQ0 KR5 0.txt\n" + saved + "/CrashLog_05 KQ0 KR5 0.txt\n" +
                           saved + "/DebugLog_05 KQ0 KR5 0.txt\n");
  EXPECT_EQ(run.output, "");
}

// The port goes away in the middle of the update file, or the operator stops the run:
// the run ends within its time-outs as a failure, its lock file gone and the outcome in
// the job file.
TEST_F(Command, AnUpdateCutShortEndsAsAFailure) {
  {
    SimulatorProcess simulator = Simulate(OneUnitBehind, {"--fault", "vanish@120"});
    ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
    ProgramRun run = Quarnet("--update-all --yes job.ini");
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("Sending software update to unit"), std::string::npos) << run.output;
    std::string job = folder.Read("job.ini");
    EXPECT_EQ(job.rfind("Message=", 0), 0u) << job;
    EXPECT_GT(job.size(), std::string("Message=\r\n").size()) << job;
    EXPECT_TRUE(fs::is_empty(folder.Path("locks")));
  }
  SimulatorProcess simulator = Simulate(OneUnitBehind);
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  ProgramRun run = RunProgram(folder.Path(),
                              Environment("VELANTORPORTLIST=COM4") + "./quarnet --update-all --yes stop.ini",
                              "Sending software update to unit", std::chrono::seconds(60));
  EXPECT_EQ(run.exitCode, 2) << run.output;
  EXPECT_EQ(run.output.find("Success"), std::string::npos) << run.output;
  const std::string stopped =
      "Stopped by the operator. Velantor Unit 9 was being sent its update files; it still runs its old software. "
      "Run Update All again, which completes the update.";
  EXPECT_NE(run.output.find(stopped + "\n"), std::string::npos) << run.output;
  EXPECT_EQ(folder.Read("stop.ini"), "Message=" + stopped + "\r\n");
  EXPECT_TRUE(fs::is_empty(folder.Path("locks")));

  // As the message says: the next run completes the update.
  run = Quarnet("--update-all --yes job.ini");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(folder.Read("job.ini"), "Message=Success: all operations are complete\r\n");
}

// A refused update, or a unit that does not come back, is no success: the job file
// names the unit.
TEST_F(Command, AnUpdateThatDidNotTakeEndsAsAFailureNamingTheUnit) {
  struct Case {
    const char* more;
    const char* message;
    const char* result;  // unit 9's in the --json document
    bool verified;
  };
  const Case cases[] = {
      {"AppliesUpdates = no\n",
       "Message=Complete: some units could not be updated; Velantor Unit 9 (KR5): not taken, still on 6.04r02: the "
       "unit did not apply its update\r\n",
       "not taken", true},
      {"RestartTime = 3600000\n",
       "Message=Not verified: some units did not answer after the restart; Velantor Unit 9 (KR5): not answering "
       "after the restart\r\n",
       "not answering", false},
  };
  for (const Case& c : cases) {
    SimulatorProcess simulator = Simulate(std::string(OneUnitBehind) + c.more);
    ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
    // The update, then the wait for the unit that does not come back.
    ProgramRun run = Quarnet("--update-all --yes --json job.ini", "VELANTORPORTLIST=COM4", std::chrono::seconds(150));
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_EQ(folder.Read("job.ini"), c.message);
    EXPECT_TRUE(fs::is_empty(folder.Path("locks")));
    nlohmann::json document = nlohmann::json::parse(Results());
    EXPECT_EQ(document["completed"], false);
    EXPECT_EQ(document["exitCode"], 2);
    EXPECT_EQ(document["verified"], c.verified);
    ASSERT_EQ(document["units"].size(), 2u);
    EXPECT_EQ(document["units"][0]["address"], 5);
    EXPECT_EQ(document["units"][0]["result"], "current");
    EXPECT_EQ(document["units"][1]["address"], 9);
    EXPECT_EQ(document["units"][1]["result"], c.result);
    EXPECT_EQ(document["units"][1]["before"], "6.04r02");
  }
}

// The outcome that cannot reach the job file is no success: a production line would
// read a stale message.
TEST_F(Command, AJobFileThatCannotBeWrittenIsNoSuccess) {
  SimulatorProcess simulator(QUARNET_SIM_PROGRAM, folder.Path("dev/com4"));
  ASSERT_TRUE(simulator.Ready()) << simulator.FirstLine();
  // Two folders down that do not exist: the job file cannot be made when the outcome is known.
  const std::string job = "nowhere/deeper/job.ini";
  ProgramRun run = Quarnet("--list " + job);
  EXPECT_EQ(run.exitCode, 2) << run.output;
  EXPECT_NE(run.output.find("Done: Units listed: 3"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Failed: cannot write the job file's message: Cannot create file " + job +
                            ": No such file or directory"),
            std::string::npos)
      << run.output;
}

TEST_F(Command, FailuresAndMistakesEndWithTheirCodes) {
  struct Case {
    const char* arguments;
    int exitCode;
    const char* output;
  };
  // No unit anywhere: the search over an empty device folder ends at once.
  const Case cases[] = {
      {"--load-setup a.csv --unit 5 --type swap", 64, "quarnet: --type swap: the load types are \"clone unit\""},
      {"--lits", 64, "quarnet: unknown option --lits\nTry 'quarnet --help'."},
      {"--save-setup a.csv", 64, "quarnet: --save-setup needs --unit ADDRESS"},
      {"-q --list -h", 64, "quarnet: one operation at a time: --list and -h"},
      {"--list", 1, "Failed: Cannot find a Velantor unit"},
      {"--list job.ini", 2, "Failed: Cannot find a Velantor unit"},
  };
  for (const Case& c : cases) {
    ProgramRun run = Quarnet(c.arguments, "VELANTORPORTLIST=COM4");
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.output), std::string::npos) << c.arguments << "\n" << run.output;
    EXPECT_EQ(Results(), "") << c.arguments;
  }
  EXPECT_EQ(folder.Read("job.ini"), "Message=Cannot find a Velantor unit\r\n");
}

}  // namespace
