// A commissioning session from the main window, as the operator runs it against a
// system of two weight indicators: unlock the first, change its capacity, save its
// setup, load that setup into the second, and generate the first one's fieldbus
// description files, which must read back as their formats say.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "fieldbus/data_table.h"
#include "fieldbus/description_checks_test_support.h"
#include "ui/tool/tool_window_fixture.h"
#include "ui/toolkit/core/headless_backend.h"

namespace {

// The demo system whose KD6 carries a fieldbus interface, and a second KD6 behind it.
SystemDescription TwoIndicators() {
  SystemDescription system = DemoSystem();
  UnitDescription& first = system.units[0];
  first.identity.mcu = 7;
  UnitDescription second = first;
  second.address = 7;
  second.attached = false;
  second.identity.serialNumber = 2318990;
  second.identity.information = "Silo 4 discharge";
  system.units.push_back(second);
  return system;
}

class Commissioning : public ToolWindow {
 protected:
  // The operator's actions in the form that a button opens, 100 ms apart.
  void InForm(StdButtonControl& button, const std::vector<std::function<void()>>& actions) {
    uint64_t at = clock.Now();
    for (const auto& action : actions) clock.Schedule(at += 100'000, action);
    OperatorClick(button.window.hwnd);
    Pump(5000);
  }
  // The file name box of the form in front, and its OK button (the last but one child).
  static WindowHandle FileBox() {
    std::vector<WindowHandle> children = GetChildren(GetActiveWindow());
    return children[children.size() - 5];
  }
  static WindowHandle OkButton() {
    std::vector<WindowHandle> children = GetChildren(GetActiveWindow());
    return children[children.size() - 2];
  }
  void ChooseFile(const std::string& path, const std::string& what) {
    std::string shown = GetWindowText(GetActiveWindow());
    EXPECT_EQ(shown, what);
    OperatorType(FileBox(), "\x01" + path);
  }
  void PickUnit(int address) {
    std::vector<std::string> lines = UnitLines();
    auto line = std::find_if(lines.begin(), lines.end(),
                             [&](const std::string& text) { return std::stoi(text.substr(0, 2)) == address; });
    ASSERT_NE(line, lines.end());
    ASSERT_TRUE(OperatorPickListLine(Form().unitList.window.hwnd, static_cast<int>(line - lines.begin())));
    Pump(20);
    ASSERT_EQ(Form().SelectedUnit.SlaveAddress, address);
  }
  float Capacity(uint8_t address) {
    for (const UnitSetting& setting : simulator->Unit(address)->settings) {
      if (setting.number == 8060) return setting.value;
    }
    return -1;
  }
};

TEST_F(Commissioning, ChangeSaveCloneAndGenerate) {
  AttachSystem(4, TwoIndicators());
  OpenMainWindow();
  ASSERT_EQ(UnitLines().size(), 4u);

  // Unlock the first indicator and change its capacity.
  PickUnit(5);
  OperatorClick(Form().lockCheck.window.hwnd);
  Pump(20);
  OperatorType(Form().settingRows[1].edit.window.hwnd, "\x01" "7200\r");
  Pump(20);
  EXPECT_EQ(Capacity(5), 7200);
  EXPECT_EQ(Text(Form().settingRows[1].edit.window), "7200");

  // Save its setup.
  const std::string setup = folder.Path("indicator.csv");
  InForm(Form().saveSetupButton,
         {[&] { ChooseFile(setup, "Save Settings"); }, [&] { OperatorClick(OkButton()); }});
  EXPECT_EQ(TakeShownMessageBoxes().back().text, "Settings saved");
  ASSERT_TRUE(std::filesystem::exists(setup));

  // Clone it into the second indicator: the window disconnects, the unit restarts.
  PickUnit(7);
  EXPECT_EQ(Capacity(7), 5000);
  InForm(Form().loadSetupButton,
         {[&] { ChooseFile(setup, "Load Settings"); }, [&] { OperatorClick(OkButton()); }});
  EXPECT_EQ(TakeShownMessageBoxes().back().text, "Settings loaded - please restart the unit and reconnect");
  EXPECT_EQ(Capacity(7), 7200);
  EXPECT_EQ(Text(Form().connectButton.window), "Connect");

  // Connect again; the second indicator now shows the capacity it was given.
  OperatorClick(Form().connectButton.window.hwnd);
  Pump(50);
  PickUnit(7);
  EXPECT_EQ(Text(Form().settingRows[1].edit.window), "7200");

  // The first indicator's fieldbus files, beside its data table.
  PickUnit(5);
  ASSERT_TRUE(PelIsEnabled(Form().generateFieldbusButton.window));
  const std::string table = folder.Path("indicator Fieldbus.csv");
  InForm(Form().generateFieldbusButton,
         {[&] { ChooseFile(table, "Generate Fieldbus Files"); }, [&] { OperatorClick(OkButton()); }});
  EXPECT_EQ(TakeShownMessageBoxes().back().text, "Fieldbus files generated");
  std::vector<std::string> texts;
  for (const char* suffix : DescriptionSuffixes) texts.push_back(folder.Read(std::string("indicator Fieldbus") + suffix));
  DescriptionFiles files;
  std::string error;
  ASSERT_TRUE(ParseDescriptionFiles(texts, files, error)) << error;
  ASSERT_TRUE(ReadDataTable(String::Copy(table)));
  EXPECT_TRUE(CheckRows(files, FactsOfTheTableRead(), error)) << error;
  EXPECT_NE(folder.Read("indicator Fieldbus.csv").find("\"Setting 8060\",SETTING,4,REAL32,-1000000,1000000,7200,"),
            std::string::npos);
  ReleaseDataTable();
  EXPECT_TRUE(std::filesystem::exists(folder.Path("GSDML-V2.35-Corvane Instruments Ltd-Velantor-20240101.xml")));
}

}  // namespace
