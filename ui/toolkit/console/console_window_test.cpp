#include "ui/toolkit/console/console_window.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/console_buffer.h"
#include "runtime/console_streams.h"
#include "runtime/stream.h"
#include "ui/toolkit/core/headless_fixture.h"
#include "ui/toolkit/core/window_backend.h"

namespace {

// The headless font grid: a 12-pixel face makes 6 × 12 cells.
constexpr int CellWidth = 6;
constexpr int CellHeight = 12;

class ConsoleWindowTest : public HeadlessWindowSystem {
 protected:
  void SetUp() override {
    HeadlessWindowSystem::SetUp();
    ResetConsole();
    window = CreateConsoleWindow("Quarnet");
    ASSERT_NE(window, 0u);
    ShowConsole(SW_SHOWNORMAL);
    ConsoleWindowStep();
  }

  void TearDown() override {
    HeadlessWindowSystem::TearDown();
    ConsoleHooks = {};
    ResetConsole();
  }

  static void Write(std::string_view text) {
    for (char c : text) ConsoleWrite(static_cast<uint8_t>(c));
  }

  // The texts painted, in order.
  std::vector<DrawCommand> Runs() {
    ConsoleWindowStep();
    std::vector<DrawCommand> runs;
    for (const DrawCommand& command : ComposeTopLevel(window)) {
      if (command.kind == DrawKind::Text) runs.push_back(command);
    }
    return runs;
  }

  const DrawCommand* RunWithText(const std::vector<DrawCommand>& runs, std::string_view text) {
    for (const DrawCommand& run : runs) {
      if (run.text == text) return &run;
    }
    ADD_FAILURE() << "no run \"" << text << "\"";
    return nullptr;
  }

  static Point Cell(int row, int column) { return {column * CellWidth + 1, row * CellHeight + 1}; }

  int TopLine() {
    std::lock_guard guard(ConsoleLock);
    return Console.topLine;
  }

  WindowHandle window = 0;
};

TEST_F(ConsoleWindowTest, PaintsALineInRunsOfEqualLook) {
  Write("ok \x1b[31mred\x1b[1;34mblue");
  std::vector<DrawCommand> runs = Runs();
  ASSERT_EQ(runs.size(), 3u);
  struct Expected {
    std::string text;
    int x;
    Colour fore;
    bool bold;
  };
  const Expected expected[] = {{"ok ", 0, 0xFFFFFF, false}, {"red", 18, 0x000080, false}, {"blue", 36, 0xFF0000, true}};
  for (size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(expected[i].text);
    EXPECT_EQ(runs[i].text, expected[i].text);
    int width = static_cast<int>(expected[i].text.size()) * CellWidth;
    EXPECT_EQ(runs[i].clip, (Rect{expected[i].x, 0, width, CellHeight}));
    EXPECT_EQ(runs[i].colour, expected[i].fore);
    EXPECT_EQ(runs[i].pen, 0x000000u);
    EXPECT_TRUE(runs[i].opaque);
    EXPECT_EQ(runs[i].advance, CellWidth);
    EXPECT_EQ(DescribeFont(runs[i].font).bold, expected[i].bold);
  }
}

TEST_F(ConsoleWindowTest, ColoursOfARunFollowTheAttributes) {
  struct Case {
    const char* sequence;
    Colour text, fill;
  };
  const Case cases[] = {
      {"\x1b[32;41m", 0x008000, 0x000080},
      {"\x1b[32;41;7m", 0x000080, 0x008000},
      {"\x1b[38;5;196;48;5;21m", 0x0000FF, 0xFF0000},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.sequence + 1);
    ResetConsole();
    Write(test.sequence);
    Write("X");
    std::vector<DrawCommand> runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].colour, test.text);
    EXPECT_EQ(runs[0].pen, test.fill);
  }
}

TEST_F(ConsoleWindowTest, EdgeLinesAreDrawnAlongTheCellsInTheForegroundColour) {
  Write("\x1b[33;123;126mE");
  ConsoleWindowStep();
  std::vector<std::pair<Point, Point>> lines;
  for (const DrawCommand& command : ComposeTopLevel(window)) {
    // The window's frame draws lines of its own, in other colours.
    if (command.kind == DrawKind::Line && command.colour == 0x008080u) lines.emplace_back(command.from, command.to);
  }
  std::vector<std::pair<Point, Point>> expected = {{{0, 0}, {CellWidth, 0}},
                                                   {{CellWidth - 1, 0}, {CellWidth - 1, CellHeight}}};
  EXPECT_EQ(lines, expected);
}

TEST_F(ConsoleWindowTest, BlinkingTextTakesItsBackgroundColourInTheOffPhase) {
  Write("\x1b[5mB");
  uint64_t phase = TickMilliseconds() % 750;
  clock.AdvanceTo(clock.Now() + (750 - phase + 400) * 1000);
  InvalidateWindow(window);
  EXPECT_EQ(Runs().at(0).colour, 0x000000u);
  clock.AdvanceTo(clock.Now() + 400 * 1000);
  InvalidateWindow(window);
  EXPECT_EQ(Runs().at(0).colour, 0xFFFFFFu);
}

TEST_F(ConsoleWindowTest, ADragSelectsARectangleThatIsCopiedAndAClickClearsIt) {
  Write("hello\r\nworld\r\n");
  // From bottom right to top left: the same rectangle as the other way round.
  OperatorMouse(window, MouseAction::LeftDown, Cell(1, 4), KeyLeftButton);
  OperatorMouse(window, MouseAction::Move, Cell(0, 1), KeyLeftButton);
  OperatorMouse(window, MouseAction::LeftUp, Cell(0, 1));
  std::vector<DrawCommand> runs = Runs();
  {
    std::lock_guard guard(ConsoleLock);
    EXPECT_FALSE(Console.selecting);
    EXPECT_EQ(Console.selection.firstRow, 0);
    EXPECT_EQ(Console.selection.firstColumn, 1);
    EXPECT_EQ(Console.selection.lastRow, 1);
    EXPECT_EQ(Console.selection.lastColumn, 4);
  }
  const DrawCommand* selected = RunWithText(runs, "ello");
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->colour, 0x000000u);
  EXPECT_EQ(selected->pen, 0xFFFFFFu);

  OperatorMouse(window, MouseAction::RightDown, Cell(0, 0));
  ConsoleWindowStep();
  EXPECT_EQ(GetClipboardText(), "ello\r\norld\r\n");
  SetClipboardText("");
  OperatorPressKey(window, 'C', 0x03, KeyControl);
  ConsoleWindowStep();
  EXPECT_EQ(GetClipboardText(), "ello\r\norld\r\n");

  OperatorClick(window, Cell(0, 2));
  ConsoleWindowStep();
  std::lock_guard guard(ConsoleLock);
  EXPECT_TRUE(Console.selection.Empty());
}

TEST_F(ConsoleWindowTest, CtrlSHoldsTheWritersAndShowsTheTextInverted) {
  Write("abc");
  OperatorPressKey(window, 'S', 0x13, KeyControl);
  std::vector<DrawCommand> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].colour, 0x000000u);
  EXPECT_EQ(runs[0].pen, 0xFFFFFFu);

  // The standard output takes the console lock for its own state before it writes:
  // held, it must wait before that, or the window could not paint nor end the pause.
  InstallConsoleSink([](uint8_t c) { ConsoleWrite(c); });
  std::thread writer([] { PutText(StandardOutput, "d"); });
  EXPECT_EQ(Runs().size(), 1u);
  OperatorPressKey(window, 'S', 0x13, KeyControl);
  ConsoleWindowStep();
  writer.join();
  EXPECT_EQ(ConsoleRowText(0), "abcd");
  runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].colour, 0xFFFFFFu);
}

TEST_F(ConsoleWindowTest, ScrollBarsAndTheWheelMoveTheView) {
  for (int i = 0; i < 300; ++i) Write("line " + std::to_string(i) + "\r\n");
  ConsoleWindowStep();
  int rows;
  {
    std::lock_guard guard(ConsoleLock);
    rows = Console.visibleRows;
  }
  ASSERT_EQ(rows, GetClientRect(window).height / CellHeight + 1);
  int limit = 301 - rows + 1;
  struct Case {
    int code, position, expected;
  };
  const Case cases[] = {
      {SB_TOP, 0, 0},        {SB_LINEDOWN, 0, 1},     {SB_PAGEDOWN, 0, rows},  {SB_LINEUP, 0, rows - 1},
      {SB_BOTTOM, 0, limit}, {SB_LINEDOWN, 0, limit}, {SB_THUMBTRACK, 7, 7},  {SB_PAGEDOWN, 0, 7 + rows - 1},
      {SB_PAGEUP, 0, 7},     {SB_PAGEUP, 0, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.code);
    WParam code = MakeLong(static_cast<uint16_t>(test.code), static_cast<uint16_t>(test.position));
    PostMessage(window, WM_VSCROLL, code, 0);
    std::vector<DrawCommand> runs = Runs();
    EXPECT_EQ(TopLine(), test.expected);
    ScrollInfo info;
    ASSERT_TRUE(GetScrollInfo(window, SB_VERT, info));
    EXPECT_EQ(info.position, test.expected);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs[0].text, "line " + std::to_string(test.expected));
  }

  PostMessage(window, WM_VSCROLL, SB_THUMBTRACK | 20 << 16, 0);
  ConsoleWindowStep();
  OperatorTurnWheel(window, 120);
  ConsoleWindowStep();
  EXPECT_EQ(TopLine(), 18) << "a notch away scrolls two lines up";
  OperatorTurnWheel(window, -60);
  ConsoleWindowStep();
  EXPECT_EQ(TopLine(), 18) << "half a notch is kept";
  OperatorTurnWheel(window, -60);
  ConsoleWindowStep();
  EXPECT_EQ(TopLine(), 20);
}

TEST_F(ConsoleWindowTest, TranslatedKeysGoIntoTheKeyRingOncePerPress) {
  OperatorPressKey(window, VK_F1 + 4);
  // Held down, the key repeats; it counts once until it is let go.
  DeliverKey(window, true, VK_UP, 0, 0);
  DeliverKey(window, true, VK_UP, 0, 0);
  DeliverKey(window, false, VK_UP, 0, 0);
  ConsoleWindowStep();
  std::string keys;
  for (int key = KeyRingGet(); key >= 0; key = KeyRingGet()) keys += static_cast<char>(key);
  EXPECT_EQ(keys, "\x1b[15~\x1b[A");
}

TEST_F(ConsoleWindowTest, ClosingTheWindowAsksTheProgramToEnd) {
  OperatorClose(window);
  ConsoleWindowStep();
  EXPECT_TRUE(ExitRequested);
  EXPECT_TRUE(IsWindow(window)) << "the console thread destroys it";
}

}  // namespace
