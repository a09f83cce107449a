#include "protocol/unit_info.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/program_state.h"
#include "testing/console_capture.h"

namespace {

class Report : public ::testing::Test {
 protected:
  void SetUp() override { DebugOn = true; }
  void TearDown() override { DebugOn = false; }

  ConsoleCapture console;
};

UnitInfo Kd6() {
  UnitInfo unit{};
  unit.unitmode = ModeSoftware;
  unit.cardnumber = 653;
  unit.circuitcode = 5;
  unit.revisionletter = 2;
  unit.revisionnumber = 1;
  unit.softwareversion = 610;
  unit.softwarebuild = 57;
  unit.buildincrement = 12;
  unit.serialnumber = 123456;
  unit.buildtime[0] = 26;
  unit.buildtime[1] = 3;
  unit.buildtime[2] = 9;
  unit.buildtime[3] = 14;
  unit.buildtime[4] = 5;
  unit.buildtime[5] = 7;
  unit.information = "Line 1";
  unit.ModbusAddress = 5;
  unit.product = 1234;
  unit.bootversion = 3;
  unit.bootrelease = 16;
  unit.checksum = 0x12AB34CD;
  unit.softwarecrc = 0xBEEF;
  unit.mcu = 6;
  unit.unitflags = 0x41;
  return unit;
}

TEST_F(Report, UnitAtCurrentSoftware) {
  WriteUnitReport(Kd6());
  EXPECT_EQ(console.Text(),
            "   Unit Type       : KD6/KP6 Display\r\n"
            "   Card            : c653r5B1\r\n"
            "   Software        : v6.10r57\r\n"
            "   Product         : KQ1234\r\n"
            "   Serial No       : 123456\r\n"
            "   Build time      : 2026-03-09 14:05:07\r\n"
            "   Build increment : 12\r\n"
            "   Information     : Line 1\r\n"
            "   Modbus Address  : 5\r\n"
            "   Boot loader     : v3 r16\r\n"
            "   MCU Type        : LPC4337\r\n"
            "   Checksum        : 12AB34CD BEEF\r\n"
            "                     WARNING: JTAG interface is active!\r\n\a");
}

TEST_F(Report, H8UnitAndOldSoftware) {
  UnitInfo h8{};
  h8.unitmode = ModeBootLoader;
  h8.cardnumber = 611;
  h8.circuitcode = 3;
  h8.softwareversion = 606;
  h8.softwarebuild = 35;
  h8.mcu = McuH8S2145;
  h8.bootversion = 2;
  WriteUnitReport(h8);
  EXPECT_EQ(console.Text(),
            "   Unit Type       : KL9 Display\r\n"
            "   Card            : 611\r\n"
            "   Circuit code    : 3\r\n"
            "   Software        : v6.06\r\n"
            "   MCU Type        : H8S2145\r\n");

  console.Clear();
  UnitInfo old = Kd6();
  old.softwareversion = 599;
  old.bootrelease = 3;
  old.revisionletter = 0;
  old.information.Clear();
  old.unitflags = 0;
  WriteUnitReport(old);
  std::string text = console.Text();
  EXPECT_NE(text.find("Card            : c653r5-1\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Boot loader"), std::string::npos);
  EXPECT_EQ(text.find("MCU Type"), std::string::npos);
  EXPECT_EQ(text.find("Checksum"), std::string::npos);
}

// The revision letter is a byte of the unit's reply: 1 is "A", 26 "Z"; beyond that it
// is no letter, and 0x40 plus it would wrap into the control characters.
TEST_F(Report, RevisionLettersPastZAreShownAsUnknown) {
  struct Case {
    uint8_t letter;
    const char* card;
  };
  for (const auto& [letter, card] : {Case{0, "c653r5-1"}, Case{1, "c653r5A1"}, Case{26, "c653r5Z1"},
                                     Case{27, "c653r5?1"}, Case{0xCD, "c653r5?1"}, Case{0xDB, "c653r5?1"},
                                     Case{0xFF, "c653r5?1"}}) {
    console.Clear();
    UnitInfo unit = Kd6();
    unit.revisionletter = letter;
    WriteUnitReport(unit);
    EXPECT_TRUE(console.Said(std::string("   Card            : ") + card + "\r\n   Software"))
        << int{letter};
  }
}

TEST_F(Report, TestSoftwareLines) {
  UnitInfo unit = Kd6();
  unit.bootflags = 0xC0;
  unit.unitflags = 0x80;
  WriteUnitReport(unit);
  std::string text = console.Text();
  EXPECT_NE(text.find("Test software present (pre-production board)\r\n"
                      "                     - pre-production boot loader\r\n"
                      "                     - card tester software\r\n"),
            std::string::npos);
  EXPECT_EQ(text.find("JTAG"), std::string::npos);
}

TEST(UnitTables, CardsMcusAndApplications) {
  struct Case {
    int card, circuit, current, mcu;
  };
  const Case cases[] = {
      {647, 4, 0, 3}, {647, 5, 9, 9}, {647, 6, 0, 7}, {648, 5, 0, 5},
      {648, 6, 0, 4}, {611, 0, 0, 2}, {653, 0, 0, 6}, {700, 0, 4, 4},
  };
  for (const Case& c : cases) EXPECT_EQ(McuForCard(c.card, c.circuit, static_cast<int8_t>(c.current)), c.mcu) << c.card;
  EXPECT_EQ(ModelName(659), "KT7");
  EXPECT_EQ(ModelName(700), "Card700");
  EXPECT_EQ(UnitTypeName(700), "Unsupported Card Number");
  EXPECT_EQ(std::string(McuName(8)), "");
  EXPECT_EQ(ApplicationName(0x5F, 653), "Belt Weigher");
  EXPECT_EQ(ApplicationName(0x1A2, 653), "KQ01A2");
  EXPECT_EQ(ApplicationName(0, 648), "Transmitter");
  EXPECT_EQ(ApplicationName(0, 700), "No loadcell engine");
}

TEST(UnitRecord, CopyKeepsTheDestinationsOperationalFields) {
  UnitInfo source = Kd6();
  source.bootid = 0x63;
  source.buffersize = 512;
  UnitInfo destination{};
  destination.bootid = 0x21;
  destination.programmerversion[0] = 4;
  destination.buffersize = 1024;
  uint8_t image[4] = {};
  destination.SoftwareImage = ImageSlot{image, 4};
  CopyUnitInfo(destination, source);
  EXPECT_EQ(destination.serialnumber, 123456);
  EXPECT_EQ(destination.information, "Line 1");
  EXPECT_EQ(destination.bootid, 0x21);
  EXPECT_EQ(destination.programmerversion[0], 4);
  EXPECT_EQ(destination.buffersize, 1024);
  EXPECT_EQ(destination.SoftwareImage.data, image);
}

TEST_F(Report, SummaryAndUpdateDecisions) {
  EXPECT_EQ(UnitSummary(Kd6(), false), "05 KD6 123456");
  EXPECT_EQ(UnitSummary(Kd6(), true), "05 KQ1234 KD6 123456");

  struct Case {
    void (*change)(UnitInfo&);
    bool accepts;
    const char* line;
  };
  const Case cases[] = {
      {[](UnitInfo&) {}, true, "COMPLETE: unit will accept update files\r\n"},
      {[](UnitInfo& u) { u.softwareversion = 599; }, false, "-- Velantor software does not support update files\r\n"},
      {[](UnitInfo& u) { u.unitmode = ModeBootLoader; }, false, "-- Velantor software does not support"},
      {[](UnitInfo& u) { u.bootrelease = 13; }, false, "needs boot loader release 14 or later"},
      {[](UnitInfo& u) { u.mcu = 2; }, false, "-- MCU does not support software update files\r\n"},
      {[](UnitInfo& u) { u.unitflags = 0; }, false, "-- Unit reports that it will not accept update files\r\n"},
  };
  for (const Case& c : cases) {
    console.Clear();
    UnitInfo unit = Kd6();
    c.change(unit);
    EXPECT_EQ(AcceptsUpdateFiles(unit), c.accepts) << c.line;
    EXPECT_TRUE(console.Said(c.line)) << c.line;
  }
  UnitInfo unit = Kd6();
  unit.softwareversion = 603;
  EXPECT_FALSE(SupportsUpdateFileChecks(unit));
  unit.softwareversion = 604;
  EXPECT_TRUE(SupportsUpdateFileChecks(unit));
}

}  // namespace
