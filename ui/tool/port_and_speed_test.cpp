#include "ui/tool/port_and_speed.h"

#include <gtest/gtest.h>

#include <set>

#include "ops/tool_settings.h"
#include "ui/tool/tool_window_fixture.h"

namespace {

std::set<int> openPorts;
bool Opens(int port) { return openPorts.count(port) > 0; }

TEST(StepPort, SkipsPortsThatDoNotOpenAndWraps) {
  struct Case {
    int start;
    bool up;
    std::set<int> open;
    int expected;
  };
  const Case cases[] = {
      {4, true, {4, 7}, 7},   {7, true, {4, 7}, 0},    {0, true, {4, 7}, 4},  {0, false, {4, 7}, 7},
      {4, false, {4, 7}, 0},  {0, true, {}, 0},        {0, false, {}, 0},     {99, true, {}, 0},
      {1, false, {}, 0},      {0, false, {99}, 99},    {5, true, {5}, 0},     {150, true, {3}, 0},
      {-3, false, {97}, 97},
  };
  for (const Case& c : cases) {
    openPorts = c.open;
    EXPECT_EQ(StepPort(c.start, c.up, Opens), c.expected) << c.start << (c.up ? " up" : " down");
  }
}

TEST(StepSpeed, MovesAlongTheListAndStopsAtItsEnds) {
  struct Case {
    uint32_t speed;
    bool up;
    uint32_t expected;
  };
  const Case cases[] = {
      {9600, true, 19200},    {19200, true, 38400},    {57600, true, 115200}, {115200, true, 115200},
      {115200, false, 57600}, {38400, false, 19200},   {9600, false, 9600},   {12345, true, 12345},
      {12345, false, 57600},  {230400, false, 57600},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StepSpeed(c.speed, c.up), c.expected) << c.speed << (c.up ? " up" : " down");
  }
}

TEST_F(ToolWindow, PortArrowsDisconnectAndStepOverPortsThatDoNotOpen) {
  VirtualLine idle{clock, true};
  AttachLine(7, idle);
  AttachSystem(4, DemoSystem());
  OpenMainWindow();
  ASSERT_EQ(Text(Form().portText.window), "COM4");
  ASSERT_TRUE(IsPortOpen());

  const char* upward[] = {"COM7", "none", "COM4"};
  for (const char* expected : upward) {
    OperatorStepUpDown(Form().portArrows.window.hwnd, true);
    Pump(20);
    EXPECT_FALSE(IsPortOpen());
    EXPECT_TRUE(UnitLines().empty());
    EXPECT_EQ(Text(Form().connectButton.window), "Connect");
    EXPECT_EQ(Text(Form().portText.window), expected);
  }
  EXPECT_EQ(PortNumber, 4);
  EXPECT_EQ(ReadToolSetting("CommPort"), "4");
  OperatorStepUpDown(Form().portArrows.window.hwnd, false);
  Pump(20);
  EXPECT_EQ(Text(Form().portText.window), "none");
  EXPECT_EQ(ReadToolSetting("CommPort"), "0");
}

TEST_F(ToolWindow, SpeedArrowsStopAtBothEnds) {
  OpenMainWindow();
  // Nothing remembered: the fastest speed.
  EXPECT_EQ(Text(Form().speedText.window), "115200 baud");
  OperatorStepUpDown(Form().speedArrows.window.hwnd, true);
  Pump(20);
  EXPECT_EQ(Text(Form().speedText.window), "115200 baud");
  for (const char* expected : {"57600 baud", "38400 baud", "19200 baud", "9600 baud", "9600 baud"}) {
    OperatorStepUpDown(Form().speedArrows.window.hwnd, false);
    Pump(20);
    EXPECT_EQ(Text(Form().speedText.window), expected);
  }
  EXPECT_EQ(BaudRate, 9600u);
  EXPECT_EQ(ReadToolSetting("BaudRate"), "9600");
}

}  // namespace
