// The selected unit's settings as the operator meets them on the main window: the
// title, the read-outs that follow the unit, the lock, and each row's Enter and
// arrows, against the simulated KD6 of the demo system.
#include <gtest/gtest.h>

#include "ui/tool/tool_window_fixture.h"
#include "ui/tool/unit_list.h"

namespace {

enum Row { WeightUnits, Capacity, ResponseTime, Zero, Span, Sensitivity, Limit };

class SettingsArea : public ToolWindow {
 protected:
  void Start(const SystemDescription& description = DemoSystem()) {
    AttachSystem(4, description);
    OpenMainWindow();
    ASSERT_TRUE(OperatorPickListLine(Form().unitList.window.hwnd, 1));
    Pump(20);
    ASSERT_EQ(Form().SelectedUnit.SlaveAddress, 5);
  }
  void Unlock() {
    OperatorClick(Form().lockCheck.window.hwnd);
    Pump(20);
  }
  SettingRow& RowOf(Row row) { return Form().settingRows[row]; }
  std::string EditText(Row row) { return Text(RowOf(row).edit.window); }
  // Ctrl+A, the text, Enter.
  void Enter(Row row, const std::string& text) {
    OperatorType(RowOf(row).edit.window.hwnd, "\x01" + text + "\r");
    Pump(20);
  }
  void Arrow(Row row, bool up) {
    OperatorStepUpDown(RowOf(row).arrows.window.hwnd, up);
    Pump(20);
  }
  UnitSetting& Held(uint16_t number) {
    for (UnitSetting& setting : simulator->Unit(5)->settings) {
      if (setting.number == number) return setting;
    }
    static UnitSetting none;
    ADD_FAILURE() << "no setting " << number;
    return none;
  }
  // The setting calls the KD6 has heard, and those that were writes.
  int SettingCalls(bool writesOnly = false) {
    int count = 0;
    for (const std::string& hex : simulator->Traffic().Of(TrafficKind::Received)) {
      if (hex.rfind("05 45 10 80", 0) != 0) continue;
      if (!writesOnly || hex.substr(30, 2) == "06") ++count;
    }
    return count;
  }
};

TEST_F(SettingsArea, TheKd6ShowsItsSettingsLockedUntilTheOperatorUnlocks) {
  Start();
  EXPECT_EQ(Text(Form().unitTitle.window), "Silo 3 discharge (Weight Indicator) - KD6 6.12r41, serial 2318842");
  EXPECT_EQ(Text(Form().lockLabel.window), "calibration");
  EXPECT_EQ(Text(Form().lockState.window), "locked");
  EXPECT_TRUE(ButtonChecked(Form().lockCheck.window.hwnd));
  const char* edits[] = {"102", "5000", "0.5", "", "", "2.0004", "4500"};
  const char* descriptions[] = {"kg - units",
                                "kg - maximum capacity of weighing system (20mA point)",
                                "s - increase to smooth out weight vibrations in the weighing system",
                                "kg - remove all weight from weighing system and enter 0 (4mA point)",
                                "kg - apply known weight to weighing system and enter this value",
                                "mV/V - sensitivity of loadcell",
                                "kg - weight limit to drive OUT9 (limit 2)"};
  for (int i = 0; i < SettingRowCount; ++i) {
    EXPECT_EQ(EditText(static_cast<Row>(i)), edits[i]) << i;
    EXPECT_EQ(Text(Form().settingRows[i].description.window), descriptions[i]) << i;
    EXPECT_FALSE(PelIsEnabled(Form().settingRows[i].edit.window)) << i;
  }
  EXPECT_TRUE(PelIsVisible(RowOf(Limit).edit.window));
  EXPECT_TRUE(PelIsEnabled(Form().refreshButton.window));
  EXPECT_TRUE(PelIsEnabled(Form().saveSetupButton.window));
  EXPECT_FALSE(PelIsEnabled(Form().generateFieldbusButton.window)) << "an LPC4337 carries no fieldbus interface";
  std::string output = Text(Form().readouts[2].window);
  // 9.2 mA give or take the drift, with its two decimals and the units text straight after.
  ASSERT_EQ(output.size(), 6u) << output;
  EXPECT_EQ(output.substr(0, 2), "9.") << output;
  EXPECT_EQ(output.substr(4), "mA") << output;
  const char* captions[] = {"setting 8740", "setting 8700", "setting 8800"};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Text(Form().readoutCaptions[i].window), captions[i]);

  Unlock();
  EXPECT_EQ(Text(Form().lockState.window), "unlocked");
  EXPECT_FALSE(ButtonChecked(Form().lockCheck.window.hwnd));
  for (int i = 0; i < SettingRowCount; ++i) EXPECT_TRUE(PelIsEnabled(Form().settingRows[i].edit.window)) << i;
  EXPECT_TRUE(PelIsEnabled(RowOf(WeightUnits).arrows.window));
}

TEST_F(SettingsArea, TheReadoutsFollowTheUnitOnceASecond) {
  Start();
  simulator->Unit(5)->settings[7].value = 2e10;  // 8740
  std::string net = Text(Form().readouts[1].window);
  ASSERT_EQ(net.substr(net.size() - 2), "kg");
  Pump(5000);
  EXPECT_EQ(Text(Form().readouts[0].window), "+++++++kg");
  EXPECT_NE(Text(Form().readouts[1].window), net) << "the net weight drifts";
}

TEST_F(SettingsArea, WeightUnitsSnapToTheirCodesAndStepOverTheGap) {
  Start();
  Unlock();
  Enter(WeightUnits, "105");
  EXPECT_EQ(Held(8044).value, 102);
  EXPECT_EQ(EditText(WeightUnits), "102");
  Arrow(WeightUnits, true);
  EXPECT_EQ(Held(8044).value, 110);
  EXPECT_EQ(EditText(WeightUnits), "110");
  Arrow(WeightUnits, false);
  EXPECT_EQ(Held(8044).value, 102);
  Enter(WeightUnits, "kg");
  EXPECT_EQ(Held(8044).value, 100) << "text that is no number reads as 0";
  EXPECT_EQ(Text(Form().lockState.window), "unlocked") << "the redraw keeps the rows open";
}

TEST_F(SettingsArea, TheResponseTimeSnapsToItsSteps) {
  Start();
  Unlock();
  struct Case {
    const char* typed;
    float held;
    const char* shown;
  };
  for (Case c : {Case{"1", 2.0f, "2.0"}, Case{"0.3", 0.5f, "0.5"}, Case{"x", 0.1f, "0.1"}}) {
    Enter(ResponseTime, c.typed);
    EXPECT_EQ(Held(8120).value, c.held) << c.typed;
    EXPECT_EQ(EditText(ResponseTime), c.shown) << c.typed;
  }
  Enter(ResponseTime, "0.5");
  Arrow(ResponseTime, false);
  EXPECT_EQ(Held(8120).value, 0.1f);
  Arrow(ResponseTime, true);
  EXPECT_EQ(Held(8120).value, 0.5f);
}

TEST_F(SettingsArea, OnlyEditedRowsWriteButZeroAndSpanSendWhatTheyHold) {
  Start();
  Unlock();
  simulator->Traffic().Clear();
  OperatorType(RowOf(Capacity).edit.window.hwnd, "\r");
  OperatorType(RowOf(Sensitivity).edit.window.hwnd, "\r");
  Pump(20);
  EXPECT_EQ(SettingCalls(), 0) << "Enter in an unedited box sends nothing";

  Enter(Capacity, "7500.4");
  EXPECT_FLOAT_EQ(Held(8060).value, 7500.4f);
  EXPECT_EQ(EditText(Capacity), "7500") << "shown as the unit gives it back, to its count-by";
  EXPECT_TRUE(console.Said("Weight capacity set to 7500 kg\r\n"))
      << "the status line confirms what the unit took";
  Enter(Limit, "4000");
  EXPECT_EQ(Held(8332).value, 4000);

  Held(8910).value = 7;
  simulator->Traffic().Clear();
  OperatorType(RowOf(Zero).edit.window.hwnd, "\r");
  Pump(20);
  EXPECT_EQ(Held(8910).value, 0) << "the empty zero box writes 0";
  EXPECT_EQ(SettingCalls(true), 1);
  EXPECT_EQ(SettingCalls(), 1) << "no read-back";
  Enter(Span, "250");
  EXPECT_EQ(Held(8912).value, 250);
  EXPECT_EQ(EditText(Span), "");
}

TEST_F(SettingsArea, AFailedWriteLosesTheUnit) {
  Start();
  Unlock();
  simulator->OrderFault({.kind = FaultKind::DropReply, .count = 0, .unit = 5});
  Enter(Capacity, "6000");
  std::string said = console.Text();
  EXPECT_NE(said.find("Lost connection to unit\r\n"), std::string::npos) << said;
  EXPECT_EQ(said.find(" set to "), std::string::npos) << "no confirmation of a write that failed";
  Pump(50);
  EXPECT_EQ(Form().SelectedUnit.SlaveAddress, 0);
  EXPECT_EQ(Text(Form().unitTitle.window), "") << "no unit: no title";
  EXPECT_FALSE(PelIsEnabled(Form().settingRows[Capacity].edit.window));
}

TEST_F(SettingsArea, TheLimitRowIsForTheWeightIndicatorOnly) {
  SystemDescription other = DemoSystem();
  other.units[0].identity.product = 62;
  Start(other);
  EXPECT_FALSE(PelIsVisible(RowOf(Limit).edit.window));
  EXPECT_FALSE(PelIsVisible(RowOf(Limit).label.window));
  for (const std::string& hex : simulator->Traffic().Of(TrafficKind::Received)) {
    EXPECT_EQ(hex.find("05 45 10 80 00 00 00 00 20 8C"), std::string::npos) << "8332 is never read";
  }
  EXPECT_EQ(EditText(Capacity), "5000");
}

TEST_F(SettingsArea, AUnitWithoutAnApplicationShowsNoSettings) {
  Start();
  ASSERT_TRUE(OperatorPickListLine(Form().unitList.window.hwnd, 0));
  Pump(20);
  EXPECT_EQ(Text(Form().unitTitle.window).rfind("Silo 3 load cells (", 0), 0u);
  EXPECT_TRUE(PelIsEnabled(Form().unitTitle.window));
  EXPECT_FALSE(PelIsEnabled(Form().lockCheck.window));
  EXPECT_FALSE(PelIsEnabled(Form().lockState.window));
  for (const SettingRow& row : Form().settingRows) EXPECT_FALSE(PelIsEnabled(const_cast<PelWindow&>(row.edit.window)));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Text(Form().readouts[i].window), "");
    EXPECT_FALSE(PelIsEnabled(Form().readouts[i].window));
    EXPECT_EQ(Text(Form().readoutCaptions[i].window), "") << "no caption over nothing";
  }
  EXPECT_FALSE(PelIsVisible(RowOf(Limit).edit.window));
}

}  // namespace
