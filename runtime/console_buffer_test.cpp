#include "runtime/console_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "runtime/clock.h"
#include "runtime/program_state.h"
#include "runtime/virtual_clock.h"

namespace {

class ConsoleText : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetConsole();
    Console.visibleRows = 25;
  }
  void Write(std::string_view text) {
    for (char c : text) ConsoleWrite(static_cast<uint8_t>(c));
  }
  const ConsoleLine& Row(int row) { return Console.lines[static_cast<size_t>(row)]; }
};

TEST_F(ConsoleText, TabsStopEveryEightColumnsAndAlwaysMove) {
  Write("a\tb");
  EXPECT_EQ(ConsoleRowText(0), "a       b");
  Write("\r\n12345678\tX");
  EXPECT_EQ(ConsoleRowText(1), "12345678        X");
  EXPECT_EQ(Console.cursorColumn, 17);
}

TEST_F(ConsoleText, LongLinesWrapAndTheViewFollowsAtTheBottom) {
  Write(std::string(120, 'x') + "y");
  EXPECT_EQ(ConsoleRowText(0), std::string(120, 'x'));
  EXPECT_EQ(ConsoleRowText(1), "y");
  for (int i = 0; i < 30; ++i) Write("\r\nline");
  EXPECT_EQ(Console.lineCount, 32);
  // The last visible row may be cut by the window's edge: a row stays free below the cursor.
  EXPECT_EQ(Console.topLine, Console.cursorRow - Console.visibleRows + 2);

  Console.topLine = 2;  // the operator scrolled back
  Write("\r\nmore");
  EXPECT_EQ(Console.topLine, 2);
}

TEST_F(ConsoleText, ASelectionIsCopiedAsTheUtf8ItWasWrittenIn) {
  Write("caf\xC3\xA9 \xE2\x89\xA5 5 kg\r\n");
  Console.selection = ConsoleSelection{0, 0, 0, 7};
  EXPECT_EQ(ConsoleSelectionText(), "caf\xC3\xA9 \xE2\x89\xA5 5\r\n");
}

TEST_F(ConsoleText, OldestLineGoesAtTheLimitAndTheSelectionMovesWithTheText) {
  for (int i = 0; i < ConsoleMaxLines - 1; ++i) Write("line " + std::to_string(i) + "\r\n");
  Console.selection = ConsoleSelection{5, 0, 6, 3};
  Write("last\r\n");
  EXPECT_EQ(Console.lineCount, ConsoleMaxLines);
  EXPECT_EQ(ConsoleRowText(0), "line 1");
  EXPECT_EQ(ConsoleRowText(ConsoleMaxLines - 2), "last");
  EXPECT_EQ(Console.selection.firstRow, 4);
  EXPECT_EQ(ConsoleSelectionText(), "line\r\nline\r\n");

  Console.selection = ConsoleSelection{0, 0, 1, 3};
  Write("one more\r\n");
  EXPECT_TRUE(Console.selection.Empty());
}

TEST_F(ConsoleText, RowsKeepTheirOrderAfterTheBufferHasTurnedOverMoreThanOnce) {
  const int written = 2 * ConsoleMaxLines + 500;
  for (int i = 0; i < written; ++i) Write("line " + std::to_string(i) + "\r\n");
  ASSERT_EQ(Console.cursorRow, ConsoleMaxLines - 1);
  for (int row = 0; row < ConsoleMaxLines - 1; ++row) {
    ASSERT_EQ(ConsoleRowText(row), "line " + std::to_string(written - (ConsoleMaxLines - 1) + row)) << "row " << row;
  }
  EXPECT_EQ(ConsoleRowText(ConsoleMaxLines - 1), "") << "the line that came round again starts empty";

  Write("\f");
  Write("after");
  EXPECT_EQ(ConsoleRowText(0), "after");
  for (int row : {1, ConsoleMaxLines / 2, ConsoleMaxLines - 1}) EXPECT_EQ(ConsoleRowText(row), "") << "row " << row;
}

TEST_F(ConsoleText, Colours) {
  struct Case {
    const char* sequence;
    Colour fore;
    Colour back;
    uint16_t attributes;
  };
  const Case cases[] = {
      {"\x1b[31m", 0x000080, 0x000000, 0},
      {"\x1b[1m\x1b[31m", 0x0000FF, 0x000000, AttributeBold},
      {"\x1b[38;5;196m", 0x0000FF, 0x000000, 0},
      {"\x1b[48;5;232m", 0xFFFFFF, 0x080808, 0},
      {"\x1b[38;5;16;44m", 0x000000, 0x800000, 0},
      {"\x1b[4;7m\x1b[24m", 0xFFFFFF, 0x000000, AttributeInverse},
      {"\x1b[5;123;126m", 0xFFFFFF, 0x000000, AttributeBlink | AttributeEdgeTop | AttributeEdgeRight},
  };
  for (const Case& c : cases) {
    ResetConsole();
    Write(c.sequence);
    Write("T");
    const ConsoleLine& line = Row(0);
    ASSERT_EQ(line.length, 1) << c.sequence + 1;
    EXPECT_EQ(line.fore[0], c.fore) << c.sequence + 1;
    EXPECT_EQ(line.back[0], c.back) << c.sequence + 1;
    EXPECT_EQ(line.attributes[0], c.attributes) << c.sequence + 1;
  }
  EXPECT_TRUE(Console.blinkInUse);
  Write("\x1b[m");
  EXPECT_EQ(Console.attributes, 0);
  EXPECT_EQ(ExtendedColour(21), 0xFF0000u);
  EXPECT_EQ(ExtendedColour(231), 0xFFFFFFu);
  EXPECT_EQ(BasicColour(16, false), 0xFFFFFFu);
}

TEST_F(ConsoleText, Utf8) {
  Write("\xc3\xa9|\xa9|\xe2\x82\xac|\xf8|\xc3x");
  const ConsoleLine& line = Row(0);
  std::vector<uint16_t> codes(line.characters, line.characters + line.length);
  EXPECT_EQ(codes, (std::vector<uint16_t>{0xE9, '|', 0xA9, '|', 0x20AC, '|', 0xF8, '|', 'x'}));
}

TEST_F(ConsoleText, CursorCommandsAndErasing) {
  Write("abcdef\x1b[1;3HX");
  EXPECT_EQ(ConsoleRowText(0), "abXdef");
  Write("\x1b[6n");
  EXPECT_EQ(KeyRingGet(), 0x1b);
  std::string reply;
  for (int key = KeyRingGet(); key >= 0; key = KeyRingGet()) reply += static_cast<char>(key);
  EXPECT_EQ(reply, "[1;4R");

  Write("\x1b[K");
  EXPECT_EQ(ConsoleRowText(0), "abX" + std::string(117, ' '));
  ResetConsole();
  Write("abcdef\x1b[1;3H\x1b[1K");
  EXPECT_EQ(ConsoleRowText(0), "   def");
  Write("\x1b[2K");
  EXPECT_EQ(ConsoleRowText(0), std::string(120, ' '));

  ResetConsole();
  Write("\x1b[5;10Hz\x1b[s\x1b[2A\x1b[3D*\x1b[uy\x1b[99;999H!");
  EXPECT_EQ(ConsoleRowText(4), std::string(9, ' ') + "zy");
  EXPECT_EQ(ConsoleRowText(2), std::string(7, ' ') + "*");
  EXPECT_EQ(ConsoleRowText(98), std::string(119, ' ') + "!");
  EXPECT_EQ(Console.cursorRow, 99) << "the character in the last column wraps";
}

TEST_F(ConsoleText, SequencesAreCutDroppedOrSwallowed) {
  Write("\x1b(Bab");  // ESC and another character: only that character goes
  EXPECT_EQ(ConsoleRowText(0), "Bab");
  ResetConsole();
  Write("\x1b" "cXab");  // ESC and a letter swallow one more character
  EXPECT_EQ(ConsoleRowText(0), "ab");
  Write("\x1b[" + std::string(100, '1') + "mc");
  EXPECT_EQ(ConsoleRowText(0), "abc");
  std::string many = "\x1b[";
  for (int i = 0; i < 40; ++i) many += "31;";
  Write(many + "32md");
  EXPECT_EQ(Row(0).fore[3], 0xFFFFFFu) << "a sequence of more than 32 parameters is dropped";
  Write("\x1b[?25l");
  EXPECT_EQ(Console.caretShape, CaretShape::None);
  Write("\x1b[zzze");  // the first final character ends the sequence
  EXPECT_EQ(ConsoleRowText(0), "abcdzze");
}

// Quoted texts and numbers need no ';' between them; the 33rd parameter drops the
// sequence however it is joined to the others.
TEST_F(ConsoleText, ParametersWithoutSeparatorsPastTheLastSlotDropTheSequence) {
  std::string texts, alternating;
  for (int i = 0; i < 31; ++i) texts += "\"\"";
  for (int i = 0; i < 16; ++i) alternating += "1\"\"";
  struct Case {
    std::string parameters;
    Colour fore;
  };
  for (const auto& [parameters, fore] : {
           Case{"31" + texts, BasicColour(4, false)},  // 32 parameters: kept
           Case{"31" + texts + "\"\"", 0xFFFFFF},      // a 33rd text
           Case{texts + "\"\"31", 0xFFFFFF},           // a number after 32 texts
           Case{alternating + "1", 0xFFFFFF},          // numbers and texts taking turns
       }) {
    ResetConsole();
    Write("\x1b[" + parameters + "mx");
    EXPECT_EQ(ConsoleRowText(0), "x") << parameters;
    EXPECT_EQ(Row(0).fore[0], fore) << parameters;
    EXPECT_EQ(Row(0).attributes[0], 0) << parameters;
  }
}

TEST_F(ConsoleText, EscapeStateBelongsToEachWritingThread) {
  Write("\x1b[3");  // this thread is inside a colour sequence
  std::thread other([&] { Write("other"); });
  other.join();
  Write("1mX");
  EXPECT_EQ(ConsoleRowText(0), "otherX");
  EXPECT_EQ(Row(0).fore[5], 0x000080u);
  EXPECT_EQ(Row(0).fore[0], 0xFFFFFFu);
}

TEST_F(ConsoleText, BellBeepsOnceInTenSeconds) {
  VirtualClock clock;
  InstallClock(&clock);
  static int beeps = 0;
  beeps = 0;
  ConsoleHooks.beep = [] { ++beeps; };
  Write("\a\a");
  EXPECT_EQ(beeps, 1);
  clock.Sleep(10'001'000);
  Write("\a");
  EXPECT_EQ(beeps, 2);
  ConsoleHooks.beep = nullptr;
  InstallClock(nullptr);
}

// True once `condition` holds, false after a bound far beyond any scheduling delay.
template <typename Condition>
bool Eventually(Condition condition) {
  const uint64_t giveUpAt = TheClock().Now() + 10'000'000;
  while (!condition()) {
    if (TheClock().Now() > giveUpAt) return false;
    SleepMilliseconds(1);
  }
  return true;
}

// Writers are seen waiting before their silence is taken as held: one that has
// merely not started yet writes nothing either.
TEST_F(ConsoleText, PausedOrSelectingOutputHoldsWritersUntilReleased) {
  struct Hold {
    const char* name;
    bool ConsoleBuffer::*flag;
  };
  for (auto [name, flag] : {Hold{"a pause", &ConsoleBuffer::paused}, Hold{"a selection", &ConsoleBuffer::selecting}}) {
    SCOPED_TRACE(name);
    ResetConsole();
    {
      std::lock_guard guard(ConsoleLock);
      Console.*flag = true;
    }
    std::atomic<int> written{0};
    auto write = [&](char c) {
      ConsoleWrite(static_cast<uint8_t>(c));
      ++written;
    };
    std::thread first(write, '1');
    std::thread second(write, '2');
    EXPECT_TRUE(Eventually([] { return HeldConsoleWriters() == 2; })) << HeldConsoleWriters() << " held";
    EXPECT_EQ(written, 0);
    EXPECT_EQ(ConsoleRowText(0), "");

    {
      std::lock_guard guard(ConsoleLock);
      Console.*flag = false;
    }
    WakeConsoleWriters();
    EXPECT_TRUE(Eventually([] { return HeldConsoleWriters() == 0; })) << "one wake lets every held writer go";
    // Frees writers the wake above left behind, so that a failure ends instead of hanging.
    while (HeldConsoleWriters() > 0) WakeConsoleWriters();
    first.join();
    second.join();
    EXPECT_EQ(written, 2);
    std::string row = ConsoleRowText(0);
    std::sort(row.begin(), row.end());
    EXPECT_EQ(row, "12");
  }
}

TEST_F(ConsoleText, FormFeedClearsAndTakesTheCurrentColours) {
  Write("text\r\nmore\x1b[44m\f");
  EXPECT_EQ(Console.lineCount, 1);
  EXPECT_EQ(ConsoleRowText(0), "");
  EXPECT_EQ(Console.defaultBackColour, 0x800000u);
}

}  // namespace
