#include "sim/system_file.h"

#include <gtest/gtest.h>

#include "sim/demo_system.h"

namespace {

TEST(SystemFileTest, TheDemoSystemReadsAsWritten) {
  SystemDescription system = DemoSystem();
  ASSERT_EQ(system.units.size(), 3u);
  const UnitDescription& display = system.units[0];
  EXPECT_EQ(display.address, 5);
  EXPECT_TRUE(display.attached);
  EXPECT_FALSE(system.units[1].attached);
  EXPECT_EQ(display.speed.baud, 19200u);
  EXPECT_EQ(display.restartTime, 1500u);
  const UnitIdentity& identity = display.identity;
  EXPECT_EQ(identity.revisionLetter, 2);
  EXPECT_EQ(identity.revisionNumber, 3);
  EXPECT_EQ(identity.softwareVersion, 612);
  EXPECT_EQ(identity.softwareBuild, 41);
  EXPECT_EQ(identity.buildTime, (std::array<uint8_t, 6>{24, 5, 17, 9, 30, 0}));
  EXPECT_EQ(identity.mcu, 6);
  EXPECT_EQ(identity.checksum, 0x5C3A91E4u);
  EXPECT_EQ(display.debugLogs, (std::vector<uint16_t>{0x0301, 0x0302}));
  ASSERT_EQ(display.settings.size(), 3u);
  EXPECT_EQ(display.settings[2].number, 3);
  EXPECT_FLOAT_EQ(display.settings[2].value, 2.0004f);
  EXPECT_EQ(display.settings[2].decimals, 4);
  EXPECT_EQ(display.settings[2].unitsText, "mV/V");
  EXPECT_EQ(system.units[2].identity.mcu, 5) << "a KR5 carries an LPC1768 unless told otherwise";
}

TEST(SystemFileTest, ASingleUnitNeedsLittleAndTheRestHasDefaults) {
  SystemDescription system;
  std::string error;
  ASSERT_TRUE(
      ReadSystemText("[Unit 0x07]\ncard=648\nCIRCUIT = 6\nsoftware=6.12\nProgram = boot loader\n"
                     "Revision = -\nInformation = a\\tb\\\\c\\x7F\n",
                     system, error))
      << error;
  const UnitDescription& unit = system.units[0];
  EXPECT_EQ(unit.address, 7);
  EXPECT_TRUE(unit.attached);
  EXPECT_EQ(unit.program, Program::BootLoader);
  EXPECT_EQ(unit.speed.baud, 19200u);
  EXPECT_FALSE(unit.speed.parityOn);
  EXPECT_EQ(unit.bootLoaderSpeed, 9600u);
  EXPECT_EQ(unit.identity.mcu, 4) << "a KT5 from circuit 6 on carries an LPC4078";
  EXPECT_EQ(unit.identity.softwareBuild, 0);
  EXPECT_EQ(unit.identity.revisionLetter, 0);
  EXPECT_EQ(unit.identity.information, "a\tb\\c\x7F");
}

TEST(SystemFileTest, MistakesAreNamedWithTheirLine) {
  const std::string unit = "[unit 5]\nCard = 653\nSoftware = 6.12\n";
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"", "line 1: no units"},
      {"# only a comment\n\n", "line 2: no units"},
      {"Card = 653\n", "line 1: settings start after a [unit N] section"},
      {"[unit five]\n", "line 1: a section is [unit N]"},
      {"[unit 240]\n", "line 1: address 240: units are at 1 to 247"},
      {"[unit 5]\nCard = 653\n", "line 1: unit 5: Software is missing"},
      {unit + "\n[unit 6]\nSoftware = 6.12\n[unit 7]\n", "line 5: unit 6: Card is missing"},
      {unit + "Colour = red\n", "line 4: unknown key 'Colour'"},
      {unit + "this is no setting\n", "line 4: expected Key = value"},
      {"[unit 5]\nCard = six\n", "line 2: Card: 'six' is not a number"},
      {"[unit 5]\r\nCard = 653\r\nCard = six\r\n", "line 3: Card: 'six' is not a number"},
      {unit + "Product = 70000\n", "line 4: Product: 70000 is more than 65535"},
      {"[unit 5]\nCard = 653\nSoftware = 6.1\n", "line 3: Software: '6.1' is not a version such as 6.12r41"},
      {unit + "BuildTime = 2024-13-01 00:00:00\n", "BuildTime: '2024-13-01 00:00:00' is not a time"},
      {unit + "Setting = 1, heavy, 0, 1, kg\n", "Setting: 'heavy' is not a value"},
      {unit + "Setting = 1, 2\n", "Setting: a setting is: number, value, decimals, count-by, units text"},
      {unit + "Information = a\\qb\n", "Information: unknown escape"},
      {unit + "Speed = 0\n", "Speed: a speed of 0"},
      {unit + "Parity = mark\n", "Parity: 'mark' is not none, even or odd"},
      {unit + "Attached = perhaps\n", "Attached: 'perhaps' is neither yes nor no"},
      {unit + "Program = flash\n", "Program: 'flash' is not software, bootloader or bootrom"},
      {unit + "BootLoaderVersion = 16\n", "BootLoaderVersion: 16 is more than 15"},
      {unit + "Revision = 3B\n", "Revision: a revision is a letter and a number"},
      {unit + unit, "line 4: a second unit at address 5"},
      {unit + "[unit 6]\nCard = 659\nSoftware = 6.12\n", "line 1: 0 units say Attached = yes"},
      {unit + "Attached = yes\n[unit 6]\nAttached = no\nCard = 659\nSoftware = 6.12\nattached = YES\n",
       "line 9: 2 units say Attached = yes"},
  };
  for (const auto& test : cases) {
    SystemDescription system;
    std::string error;
    EXPECT_FALSE(ReadSystemText(test.text, system, error)) << test.text;
    EXPECT_NE(error.find(test.message), std::string::npos)
        << "wanted: " << test.message << "\ngot: " << error;
  }
}

TEST(SystemFileTest, AFileThatCannotBeReadIsNamed) {
  SystemDescription system;
  std::string error;
  EXPECT_FALSE(ReadSystemFile("/nonexistent/system.ini", system, error));
  EXPECT_EQ(error, "cannot read /nonexistent/system.ini: No such file or directory");
}

// A damaged system file is read or refused with a message, never more.
TEST(SystemFileTest, DamagedFilesAreReadOrRefused) {
  std::string demo(DemoSystemText());
  uint32_t seed = 1;
  auto random = [&seed](size_t below) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<size_t>((seed >> 16) % below);
  };
  for (int round = 0; round < 2000; ++round) {
    std::string text = demo;
    for (size_t damage = 1 + random(3); damage > 0; --damage) {
      size_t at = random(text.size());
      switch (random(3)) {
        case 0: text[at] = static_cast<char>(random(256)); break;
        case 1: text.erase(at, random(40)); break;
        case 2: text.insert(at, text.substr(random(text.size()), random(60))); break;
      }
    }
    SystemDescription system;
    std::string error;
    bool read = ReadSystemText(text, system, error);
    EXPECT_TRUE(read || !error.empty()) << text;
  }
}

}  // namespace
