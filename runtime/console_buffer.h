// The console's text: 1000 lines of up to 200 cells with colours and attributes,
// written by a small terminal emulator (cursor movement, erasing, colours up to the
// 256-colour palette, UTF-8) from any thread, and read by the console window that
// paints it. Everything here is guarded by ConsoleLock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

inline constexpr int ConsoleMaxLines = 1000;
inline constexpr int ConsoleCellsPerLine = 200;

// Colours are stored as 0x00BBGGRR.
using Colour = uint32_t;

// Attribute bits of a cell.
inline constexpr uint16_t AttributeBlink = 0x0001;
inline constexpr uint16_t AttributeInverse = 0x0002;
inline constexpr uint16_t AttributeUnderline = 0x0010;
inline constexpr uint16_t AttributeBold = 0x0020;
inline constexpr uint16_t AttributeItalic = 0x0040;
inline constexpr uint16_t AttributeEdgeTop = 0x1000;
inline constexpr uint16_t AttributeEdgeLeft = 0x2000;
inline constexpr uint16_t AttributeEdgeBottom = 0x4000;
inline constexpr uint16_t AttributeEdgeRight = 0x8000;

struct ConsoleLine {
  int32_t length;
  uint16_t characters[ConsoleCellsPerLine];
  uint16_t attributes[ConsoleCellsPerLine];
  Colour fore[ConsoleCellsPerLine];
  Colour back[ConsoleCellsPerLine];
};

// The lines from the oldest on. They sit in a ring, so that when the buffer is full
// the oldest line's storage becomes the newest line and no text is moved: a long log
// goes past one line at a time, and copying the other 999 for each cost more than
// everything else the terminal does.
struct ConsoleLineRing {
  std::vector<ConsoleLine> slots = std::vector<ConsoleLine>(ConsoleMaxLines);
  size_t first = 0;

  ConsoleLine& operator[](size_t row) { return slots[Slot(row)]; }
  const ConsoleLine& operator[](size_t row) const { return slots[Slot(row)]; }
  size_t Slot(size_t row) const {
    size_t slot = first + row;
    return slot < slots.size() ? slot : slot - slots.size();
  }
  // The oldest line leaves; an empty line follows the newest.
  void DropFirst() {
    slots[first].length = 0;
    first = first + 1 < slots.size() ? first + 1 : 0;
  }
  void Clear() {
    for (ConsoleLine& line : slots) line.length = 0;
    first = 0;
  }
};

enum class CaretShape : int { Underline = 0, Bar = 1, Block = 2, None = 3 };

struct ConsoleSelection {
  int32_t firstRow = -1, firstColumn = -1, lastRow = -1, lastColumn = -1;
  bool Empty() const { return firstRow < 0; }
  bool Contains(int row, int column) const {
    return !Empty() && row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
  }
};

struct ConsoleBuffer {
  int32_t maxLines = ConsoleMaxLines;
  int32_t columns = 120;
  ConsoleLineRing lines;
  int32_t lineCount = 0;
  int32_t cursorRow = 0, cursorColumn = 0;
  int32_t topLine = 0, leftColumn = 0;
  int32_t visibleRows = 0, visibleColumns = 0;
  int32_t savedRow = 0, savedColumn = 0;
  Colour foreColour = 0xFFFFFF, backColour = 0x000000;
  Colour defaultForeColour = 0xFFFFFF, defaultBackColour = 0x000000;
  uint16_t attributes = 0;
  CaretShape caretShape = CaretShape::Underline;
  bool blinkInUse = false;
  bool paused = false;
  bool selecting = false;
  ConsoleSelection selection;
  // Keys for whoever reads the console; the 16th key waiting is dropped.
  uint8_t keyRing[16] = {};
  int keyRead = 0, keyWrite = 0;
  // Polled by the console window.
  bool layoutChanged = false, caretMoved = false, repaint = false;
  bool caretHiddenByOutput = false;
  bool beeped = false;
  uint32_t lastBeepTick = 0;
};

// The console's one buffer.
extern ConsoleBuffer Console;

// What the window does for the terminal; none is needed to keep the text.
struct ConsoleWindowHooks {
  void (*beep)() = nullptr;
  void (*caretShapeChanged)(CaretShape shape) = nullptr;
  void (*attributesChanged)() = nullptr;  // restarts the blink timer
};
extern ConsoleWindowHooks ConsoleHooks;

// The terminal writer: one byte of output, from any thread. Waits while the operator
// has paused the output or drags a selection.
void ConsoleWrite(uint8_t c);
// Takes ConsoleLock for a writer, once the operator no longer holds the output. A
// writer must wait before it holds the lock: the console window needs the lock to
// paint the pause and to end it. Writers that take the lock themselves before
// writing (the standard streams) take it this way.
std::unique_lock<std::recursive_mutex> LockConsoleForWriting();
// Starts a fresh buffer (and the calling thread's escape state).
void ResetConsole();
// Lets held writers go on (after a pause or a selection ends, or at exit).
void WakeConsoleWriters();
// Writers waiting now for the operator to let go of the output: a writer that has
// not written is then known to be held rather than merely not yet started.
int HeldConsoleWriters();

bool KeyRingPut(uint8_t key);
// The oldest key, or -1.
int KeyRingGet();

// The palettes, as the colour sequences use them.
Colour BasicColour(int index, bool bright);
Colour ExtendedColour(int index);

// The text of row `row`, cell codes as UTF-8 (for tests and the headless echo).
std::string ConsoleRowText(int row);
// The selection as text, one line per row with CR LF, low bytes of the cells.
std::string ConsoleSelectionText();
