// The transfers of setups and tables between a simulated unit and PC files: what
// reaches the file and the unit, the messages, and the failures on either side that
// must leave the PC's files as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "fieldbus/data_table.h"
#include "fieldbus/description_checks_test_support.h"
#include "protocol/setup_calls.h"
#include "ops/pc_files.h"
#include "ops/unit_transfers.h"
#include "ui/tool/setup_transfer.h"
#include "testing/special_files.h"
#include "ui/tool/tool_window_fixture.h"
#include "ui/toolkit/controls/progress_window.h"
#include "ui/toolkit/core/headless_backend.h"

namespace {

// The demo system with a KD6 that carries a fieldbus interface (an LPC4357).
SystemDescription FieldbusSystem() {
  SystemDescription system = DemoSystem();
  system.units[0].identity.mcu = 7;
  return system;
}

class SetupTransfer : public ToolWindow {
 protected:
  void SetUp() override {
    ToolWindow::SetUp();
    ResetSetupSequences();
    AttachSystem(4, FieldbusSystem());
    OpenMainWindow();
    // The demo's KD6, the second line.
    ASSERT_TRUE(OperatorPickListLine(Form().unitList.window.hwnd, 1));
    Pump(20);
    ASSERT_EQ(Form().SelectedUnit.SlaveAddress, 5);
    TakeShownMessageBoxes();
    simulator->Traffic().Clear();
    DebugOn = true;  // the calls' lines on the console too
  }

  SimUnit& Kd6() { return *simulator->Unit(5); }
  String File(const std::string& name) { return String::Copy(folder.Path(name)); }
  // The one message box shown since the last look: its caption, text and icon.
  std::string Message() {
    std::vector<ShownMessageBox> shown = TakeShownMessageBoxes();
    if (shown.size() != 1) return "(" + std::to_string(shown.size()) + " message boxes)";
    return shown[0].caption + ": " + shown[0].text + " (" + std::to_string(shown[0].style) + ")";
  }
  // The requests the unit heard with this function and sub-code.
  int Heard(uint8_t function, uint8_t code) {
    int count = 0;
    for (const std::string& hex : simulator->Traffic().Of(TrafficKind::Received)) {
      char head[16];
      std::snprintf(head, sizeof head, "05 %02X %02X", function, code);
      if (hex.rfind(head, 0) == 0) ++count;
    }
    return count;
  }
  // From `milliseconds` of virtual time on, the KD6's replies are lost.
  void DropRepliesAfter(uint64_t milliseconds) {
    clock.Schedule(clock.Now() + milliseconds * 1000,
                   [this] { simulator->OrderFault({.kind = FaultKind::DropReply, .count = 0, .unit = 5}); });
  }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }
};

TEST_F(SetupTransfer, SaveSetupWritesWhatTheUnitRendered) {
  ASSERT_TRUE(DoSaveSetup(Form().window, Form().SelectedUnit, File("kd6.csv")));
  EXPECT_EQ(Message(), "Information: Settings saved (64)");
  std::string saved = folder.Read("kd6.csv");
  EXPECT_EQ(saved.rfind("Velantor setup,653,2318842\r\nSetting,8044,102,0,1,kg\r\n", 0), 0u) << saved;
  EXPECT_EQ(Heard(0x46, 0x92), 3) << "polled until the unit had finished";
  EXPECT_FALSE(Exists(folder.Path("kd6.csv.partial")));
  std::string said = console.Text();
  EXPECT_NE(said.find("DoSaveSetup\r\n"), std::string::npos) << said;
  // The progress window stood over the form from the first milestone to the last.
  size_t opened = said.find("OpenQuarnetProgress");
  EXPECT_LT(said.find("DoSaveSetup"), opened) << said;
  EXPECT_LT(opened, said.find("CloseQuarnetProgress")) << said;
  EXPECT_EQ(ProgressTarget, 99);
  EXPECT_FALSE(IsWindow(TheProgressForm.window.hwnd));
  EXPECT_TRUE(PelIsEnabled(Form().window));
}

TEST_F(SetupTransfer, GenerateModbusWritesTheRegisterTable) {
  ASSERT_TRUE(DoGenerateModbus(Form().window, Form().SelectedUnit, File("modbus.csv")));
  EXPECT_EQ(Message(), "Information: Modbus files generated (64)");
  EXPECT_EQ(folder.Read("modbus.csv").rfind("Register,Setting,Value,Decimals,Units\r\n40001,8044,", 0), 0u);
}

TEST_F(SetupTransfer, ACloneLoadCarriesTheSettingsIntoTheUnit) {
  folder.Write("setup.csv", "Velantor setup,653,1\r\nSetting,8060,12000,0,5,t\r\n");
  ASSERT_TRUE(DoLoadSetup(Form().window, Form().SelectedUnit, File("setup.csv"), 0));
  EXPECT_EQ(Message(), "Information: Settings loaded - please restart the unit and reconnect (64)");
  EXPECT_EQ(Kd6().settings[1].value, 12000);
  EXPECT_EQ(Kd6().settings[1].unitsText, "t");
  EXPECT_TRUE(console.Said("RPC: LoadSetup3E\r\n"));
  // The eighth type, "load other".
  ASSERT_TRUE(DoLoadSetup(Form().window, Form().SelectedUnit, File("setup.csv"), 8));
  EXPECT_TRUE(console.Said("RPC: LoadSetup31\r\n"));
}

// A unit that reports "working" for ever: the save waits until a status call fails,
// and fails with it; the load has handed its setup over, and a failing status call
// only ends its wait.
TEST_F(SetupTransfer, AnEndlessJobEndsOnlyWithAFailedStatusCall) {
  Kd6().setupJobPolls = 1'000'000'000;
  folder.Write("old.csv", "what was there");
  DropRepliesAfter(3000);
  EXPECT_FALSE(DoSaveSetup(Form().window, Form().SelectedUnit, File("old.csv")));
  EXPECT_EQ(Message(), "Error: Unable to save settings: the unit did not prepare the file (16)");
  EXPECT_GT(Heard(0x46, 0x92), 100);
  EXPECT_EQ(folder.Read("old.csv"), "what was there");

  simulator->ClearFaults();
  folder.Write("setup.csv", "Velantor setup,653,1\r\nSetting,8060,12000,0,5,t\r\n");
  DropRepliesAfter(3000);
  EXPECT_TRUE(DoLoadSetup(Form().window, Form().SelectedUnit, File("setup.csv"), 0));
  EXPECT_EQ(Message(), "Information: Settings loaded - please restart the unit and reconnect (64)");
}

// Each failure names its cause; nothing reaches the unit and no file is left changed.
TEST_F(SetupTransfer, PcFilesThatCannotBeReadOrWrittenFailCleanly) {
  std::string large = folder.Path("large.csv");
  { std::ofstream file(large); }
  std::filesystem::resize_file(large, LargestSetupFile + 1);
  folder.Write("empty.csv", "");
  if (!MakeFifo(folder.Path("fifo.csv"))) GTEST_SKIP() << "no FIFOs on this system";
  const std::pair<const char*, std::string> loads[] = {
      {"large.csv", "Cannot load file " + large + ": it is larger than the 4194304 bytes a unit takes"},
      {"missing.csv", "Cannot open file " + folder.Path("missing.csv") + ": No such file or directory"},
      {"empty.csv", "Cannot load file " + folder.Path("empty.csv") + ": it is empty"},
      {"fifo.csv", "Cannot read file " + folder.Path("fifo.csv") +
                       ": it is not a regular file (a device, a FIFO, a socket or a folder)"},
  };
  for (const auto& [name, cause] : loads) {
    EXPECT_FALSE(DoLoadSetup(Form().window, Form().SelectedUnit, File(name), 0));
    EXPECT_EQ(Message(), "Error: Unable to Load Settings: " + cause + " (16)");
  }
  EXPECT_EQ(Heard(0x45, 0x10), 0) << "no file call reached the unit";

  // A file of exactly 4 MiB is a setup a unit takes.
  std::filesystem::resize_file(large, LargestSetupFile);
  uint32_t length = 0;
  String fault;
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[LargestSetupFile]);
  EXPECT_TRUE(ReadPcFile(File("large.csv"), buffer.get(), LargestSetupFile, length, fault)) << fault.View();
  EXPECT_EQ(length, LargestSetupFile);

  // A folder that does not exist, and a name that is a folder.
  EXPECT_FALSE(DoSaveSetup(Form().window, Form().SelectedUnit, File("nowhere/kd6.csv")));
  EXPECT_EQ(Message(), "Error: Unable to save settings: Cannot create file " + folder.Path("nowhere/kd6.csv") +
                           ": No such file or directory (16)");
  std::filesystem::create_directories(folder.Path("taken.csv"));
  EXPECT_FALSE(DoGenerateModbus(Form().window, Form().SelectedUnit, File("taken.csv")));
  EXPECT_EQ(Message(), "Error: Unable to generate Modbus files: Cannot write file " + folder.Path("taken.csv") +
                           ": it is not a regular file (a device, a FIFO, a socket or a folder) and was left as it "
                           "is (16)");
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path("taken.csv")));
}

TEST_F(SetupTransfer, GenerateFieldbusWritesTheTableAndItsFourDescriptionFiles) {
  ASSERT_TRUE(PelIsEnabled(Form().generateFieldbusButton.window));
  const std::string stem = "05 KD6 2318842 Fieldbus";
  ASSERT_TRUE(DoGenerateFieldbus(Form().window, Form().SelectedUnit, File(stem + ".csv")));
  EXPECT_EQ(Message(), "Information: Fieldbus files generated (64)");
  EXPECT_EQ(folder.Read(stem + ".csv").rfind("Data Address,Data Name,Scope,Size,Type,", 0), 0u);
  std::vector<std::string> texts;
  for (const char* suffix : DescriptionSuffixes) texts.push_back(folder.Read(stem + suffix));
  DescriptionFiles files;
  std::string error;
  ASSERT_TRUE(ParseDescriptionFiles(texts, files, error)) << error;
  ASSERT_TRUE(ReadDataTable(File(stem + ".csv")));
  EXPECT_EQ(TableRowCount(), 5 + static_cast<int>(Kd6().settings.size()));
  EXPECT_TRUE(CheckRows(files, FactsOfTheTableRead(), error)) << error;
  ReleaseDataTable();
}

// The generator's reason for refusing a table reaches the operator with the message.
TEST_F(SetupTransfer, ATableTheGeneratorRefusesIsReportedWithItsReason) {
  std::string table = "Data Address,Data Name,Scope,Size,Type,Min,Max,Default,Decimal Places,Units,Bit Names\r\n"
                      "1,\"\",OUTPUT,4,REAL32,0,100,0,1,kg,\r\n";
  // The unit's table is swapped for a broken one as the tool opens it.
  simulator->Traffic().onLine = [&](const std::string& line) {
    if (line.find("RX 05 45 10 26") != std::string::npos) {
      simulator->PutFile(5, 1, 263, Bytes(table.begin(), table.end()));
    }
  };
  EXPECT_FALSE(DoGenerateFieldbus(Form().window, Form().SelectedUnit, File("broken.csv")));
  simulator->Traffic().onLine = nullptr;
  std::string message = Message();
  EXPECT_EQ(message.rfind("Error: Unable to generate fieldbus files\r\n\r\nline 2", 0), 0u) << message;
  EXPECT_NE(message.find("DATA NAME"), std::string::npos) << message;
  EXPECT_EQ(folder.Read("broken.csv"), table);
  EXPECT_FALSE(Exists(folder.Path("broken EthernetIP.EDS")));
}

TEST_F(SetupTransfer, AFieldbusTableThatCannotBeFetchedWritesNoFiles) {
  simulator->OrderFault({.kind = FaultKind::DropReply, .after = 2, .count = 0, .unit = 5});
  EXPECT_FALSE(DoGenerateFieldbus(Form().window, Form().SelectedUnit, File("table.csv")));
  EXPECT_EQ(Message(), "Error: Unable to generate fieldbus files: the unit did not prepare the file (16)");
  EXPECT_FALSE(Exists(folder.Path("table.csv")));
  EXPECT_FALSE(Exists(folder.Path("table EthernetIP.EDS")));
}

}  // namespace
