#include "runtime/console_buffer.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "runtime/clock.h"
#include "runtime/program_state.h"
#include "runtime/trace.h"
#include "runtime/utf8.h"

ConsoleBuffer Console;
ConsoleWindowHooks ConsoleHooks;

namespace {

constexpr int MaxSequence = 79;
constexpr int MaxParameters = 32;
constexpr uint32_t BeepGuardMs = 10000;

constexpr Colour NormalPalette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                      0x204080, 0x909090, 0x606060, 0x804040, 0x408040, 0x808040,
                                      0x404080, 0x804080, 0x008080, 0xC0C0C0};
constexpr Colour BrightPalette[16] = {0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF,
                                      0x4080FF, 0xE0E0E0, 0xA0A0A0, 0xFF8080, 0x80FF80, 0xFFFF80,
                                      0x8080FF, 0xFF80FF, 0x00FFFF, 0xFFFFFF};
constexpr Colour XtermFirst16[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
// SGR 30 to 37 name the colours in terminal order; the palette keeps them in its own.
constexpr int SgrPaletteIndex[8] = {0, 4, 2, 14, 1, 5, 3, 15};

struct EscapeState {
  bool escapeSeen = false;
  bool skipAfterLetter = false;
  bool skipAfterDollar = false;
  bool inSequence = false;
  char sequence[MaxSequence + 1] = {};
  int sequenceLength = 0;
  uint16_t code = 0;
  int taken = 0;
  int expected = 0;
};
thread_local EscapeState escape;

struct CsiParameters {
  int count = 0;
  int numbers[MaxParameters] = {};
  std::string texts[MaxParameters];
};

// Writers held by a pause or a selection sleep here instead of spinning a core.
std::condition_variable_any writersWait;
// Guarded by ConsoleLock. Not in the buffer: a reset while writers wait must not
// forget them.
int heldWriters = 0;

ConsoleLine& Line(int row) { return Console.lines[static_cast<size_t>(row)]; }

void FlagLayout() {
  Console.layoutChanged = true;
  Console.repaint = true;
}

void SetCursor(int row, int column) {
  Console.cursorRow = std::clamp(row, 0, Console.maxLines - 1);
  Console.cursorColumn = std::clamp(column, 0, Console.columns - 1);
  if (Console.lineCount < Console.cursorRow + 1) Console.lineCount = Console.cursorRow + 1;
  Console.layoutChanged = true;
  Console.caretMoved = true;
}

// After a move to a new row: a view at the bottom follows the cursor; one the
// operator scrolled back stays where it is.
void FollowCheck() {
  if (Console.topLine + Console.visibleRows - 1 == Console.cursorRow && Console.cursorRow >= Console.lineCount) {
    ++Console.topLine;
    FlagLayout();
  }
}

void NewRow() {
  ++Console.cursorRow;
  FollowCheck();
}

void PadTo(ConsoleLine& line, int column) {
  for (; line.length < column; ++line.length) {
    line.characters[line.length] = ' ';
    line.attributes[line.length] = 0;
    line.fore[line.length] = Console.defaultForeColour;
    line.back[line.length] = Console.defaultBackColour;
  }
}

void PutCell(ConsoleLine& line, int column, uint16_t code) {
  line.characters[column] = code;
  line.attributes[column] = Console.attributes;
  line.fore[column] = Console.foreColour;
  line.back[column] = Console.backColour;
}

void StoreCharacter(uint16_t code) {
  ConsoleLine& line = Line(Console.cursorRow);
  PadTo(line, Console.cursorColumn);
  PutCell(line, Console.cursorColumn, code);
  if (Console.cursorColumn == line.length) ++line.length;
  Console.repaint = true;
  if (++Console.cursorColumn >= Console.columns) {
    Console.cursorColumn = 0;
    NewRow();
  }
  Console.caretHiddenByOutput = true;
}

void ClearConsole() {
  Console.lines.Clear();
  Console.lineCount = Console.topLine = Console.leftColumn = 0;
  Console.visibleRows = Console.visibleColumns = 0;
  Console.cursorRow = Console.cursorColumn = 0;
  Console.attributes = 0;
  Console.defaultForeColour = Console.foreColour;
  Console.defaultBackColour = Console.backColour;
  FlagLayout();
}

void Beep() {
  uint32_t now = TickMilliseconds();
  if (Console.beeped && now - Console.lastBeepTick <= BeepGuardMs) return;
  Console.beeped = true;
  Console.lastBeepTick = now;
  if (ConsoleHooks.beep != nullptr) ConsoleHooks.beep();
}

void WriteLocked(uint8_t c);

void ControlCharacter(uint8_t c) {
  switch (c) {
    case 7: Beep(); break;
    case 8: SetCursor(Console.cursorRow, Console.cursorColumn - 1); break;
    case 9:
      WriteLocked(' ');
      while (Console.cursorColumn % 8 != 0) WriteLocked(' ');
      break;
    case 10: NewRow(); break;
    case 12: ClearConsole(); break;
    case 13: Console.cursorColumn = 0; break;
    case 27: escape.escapeSeen = true; break;
    default: break;
  }
}

// UTF-8 into a 16-bit code; true when a character is complete.
bool Decode(uint8_t c, uint16_t& code) {
  if (c < 0x80) {
    escape.expected = 0;
    code = c;
    return true;
  }
  if (c < 0xC0) {
    if (escape.expected == 0) {
      code = c;
      return true;
    }
    escape.code = static_cast<uint16_t>(escape.code * 64 + (c & 0x3F));
    if (++escape.taken < escape.expected) return false;
    escape.expected = 0;
    code = escape.code;
    return true;
  }
  int ones = 0;
  while (ones < 8 && (c & (0x80 >> ones))) ++ones;
  if (ones >= 5) {
    escape.expected = 0;
    code = c;
    return true;
  }
  escape.expected = ones;
  escape.taken = 1;
  escape.code = static_cast<uint16_t>(c & (0xFF >> (ones + 1)));
  return false;
}

void EraseInLine(int mode) {
  ConsoleLine& line = Line(Console.cursorRow);
  int from = 0, to = -1;
  if (mode == 0) {
    PadTo(line, Console.cursorColumn);
    from = Console.cursorColumn;
    to = Console.columns - 1;
  } else if (mode == 1) {
    PadTo(line, Console.cursorColumn + 1);
    to = Console.cursorColumn;
  } else if (mode == 2) {
    to = Console.columns - 1;
  }
  for (int column = from; column <= to; ++column) PutCell(line, column, ' ');
  line.length = std::max(line.length, to + 1);
  Console.repaint = true;
}

void SelectGraphicRendition(const CsiParameters& parameters) {
  // A bare ESC [ m resets, as on every terminal.
  int count = std::max(parameters.count, 1);
  for (int i = 0; i < count; ++i) {
    int n = parameters.numbers[i];
    bool bright = Console.attributes & AttributeBold;
    switch (n) {
      case 0: Console.attributes = 0; break;
      case 1: Console.attributes |= AttributeBold; break;
      case 3: Console.attributes |= AttributeItalic; break;
      case 4: Console.attributes |= AttributeUnderline; break;
      case 5: Console.attributes |= AttributeBlink; break;
      case 7: Console.attributes |= AttributeInverse; break;
      case 22: Console.attributes &= ~AttributeBold; break;
      case 23: Console.attributes &= ~AttributeItalic; break;
      case 24: Console.attributes &= ~AttributeUnderline; break;
      case 25: Console.attributes &= ~AttributeBlink; break;
      case 27: Console.attributes &= ~AttributeInverse; break;
      case 38:
      case 48:
        if (i + 2 < parameters.count && parameters.numbers[i + 1] == 5) {
          Colour colour = ExtendedColour(parameters.numbers[i + 2]);
          (n == 38 ? Console.foreColour : Console.backColour) = colour;
          i += 2;
        } else {
          ++i;
        }
        break;
      case 123: Console.attributes |= AttributeEdgeTop; break;
      case 124: Console.attributes |= AttributeEdgeLeft; break;
      case 125: Console.attributes |= AttributeEdgeBottom; break;
      case 126: Console.attributes |= AttributeEdgeRight; break;
      default:
        if (n >= 30 && n <= 37) Console.foreColour = BasicColour(SgrPaletteIndex[n - 30], bright);
        if (n >= 40 && n <= 47) Console.backColour = BasicColour(SgrPaletteIndex[n - 40], bright);
        break;
    }
    if (Console.attributes & AttributeBlink) Console.blinkInUse = true;
  }
  if (ConsoleHooks.attributesChanged != nullptr) ConsoleHooks.attributesChanged();
}

void ReportCursor() {
  std::string reply = "\x1b[" + std::to_string(Console.cursorRow + 1) + ";" +
                      std::to_string(Console.cursorColumn + 1) + "R";
  for (char c : reply) KeyRingPut(static_cast<uint8_t>(c));
}

void SetCaretShape(CaretShape shape) {
  Console.caretShape = shape;
  if (ConsoleHooks.caretShapeChanged != nullptr) ConsoleHooks.caretShapeChanged(shape);
}

void RunSequence(const char* text, int length) {
  CsiParameters parameters;
  int at = 0;
  while (at < length) {
    char c = text[at];
    // Parameters may follow each other without a ';' ("a""b", "a"1): one past the last
    // slot drops the sequence, as one after a ';' does, instead of writing beyond it.
    if ((c == '"' || (c >= '0' && c <= '9')) && parameters.count >= MaxParameters) return;
    if (c == '"') {
      int end = at + 1;
      while (end < length && text[end] != '"') ++end;
      parameters.texts[parameters.count++] = std::string(text + at + 1, static_cast<size_t>(std::min(end - at - 1, 79)));
      at = std::min(end + 1, length);
    } else if (c >= '0' && c <= '9') {
      int value = 0;
      // A run of digits longer than any screen position saturates instead of overflowing.
      while (at < length && text[at] >= '0' && text[at] <= '9') {
        value = std::min(value * 10 + (text[at++] - '0'), 9'999'999);
      }
      parameters.numbers[parameters.count++] = value;
    } else if (c == ';') {
      if (parameters.count >= MaxParameters) return;
      ++at;
    } else {
      break;
    }
    if (parameters.count >= MaxParameters && at < length && text[at] == ';') return;
  }
  std::string command(text + at, static_cast<size_t>(length - at));
  int n = parameters.count < 1 ? 1 : parameters.numbers[0];
  if (command == "H" || command == "f") {
    SetCursor(parameters.count < 1 ? 0 : parameters.numbers[0] - 1,
              parameters.count < 2 ? 0 : parameters.numbers[1] - 1);
  } else if (command == "A") {
    SetCursor(Console.cursorRow - n, Console.cursorColumn);
  } else if (command == "B") {
    SetCursor(Console.cursorRow + n, Console.cursorColumn);
  } else if (command == "C") {
    SetCursor(Console.cursorRow, Console.cursorColumn + n);
  } else if (command == "D") {
    SetCursor(Console.cursorRow, Console.cursorColumn - n);
  } else if (command == "n") {
    if (parameters.count == 1 && parameters.numbers[0] == 6) ReportCursor();
  } else if (command == "s") {
    Console.savedRow = Console.cursorRow;
    Console.savedColumn = Console.cursorColumn;
  } else if (command == "u") {
    SetCursor(Console.savedRow, Console.savedColumn);
  } else if (command == "J") {
    if (parameters.numbers[0] != 2) return;
    Console.lines.Clear();
    Console.lineCount = Console.cursorRow + 1;
    Console.defaultForeColour = Console.foreColour;
    Console.defaultBackColour = Console.backColour;
    FlagLayout();
  } else if (command == "K") {
    EraseInLine(parameters.numbers[0]);
  } else if (command == "m") {
    SelectGraphicRendition(parameters);
  } else if (command == "?25l") {
    SetCaretShape(CaretShape::None);
  } else if (command == "?25h") {
    SetCaretShape(CaretShape::Block);
  } else if (command == "?25i") {
    SetCaretShape(CaretShape::Bar);
  } else if (command == "?25j") {
    SetCaretShape(CaretShape::Underline);
  }
}

// True when the byte belonged to an escape sequence.
bool HandleEscape(uint8_t c) {
  if (escape.escapeSeen) {
    escape.escapeSeen = false;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) escape.skipAfterLetter = true;
    else if (c == '$') escape.skipAfterDollar = true;
    else if (c == '[') escape.inSequence = true;
    return true;
  }
  if (escape.skipAfterLetter || escape.skipAfterDollar) {
    escape.skipAfterLetter = escape.skipAfterDollar = false;
    return true;
  }
  if (!escape.inSequence) return false;
  if (escape.sequenceLength < MaxSequence) escape.sequence[escape.sequenceLength++] = static_cast<char>(c);
  if (c >= 0x40 && c <= 0x7E) {
    if (escape.sequenceLength > 0) RunSequence(escape.sequence, escape.sequenceLength);
    escape.sequenceLength = 0;
    escape.inSequence = false;
  }
  return true;
}

void DropFirstLine() {
  if (Console.cursorRow != Console.lineCount) {
    Trace("assert failed: CursorRow (%d) == LineCount (%d)", Console.cursorRow, Console.lineCount);
  }
  Console.lines.DropFirst();
  --Console.cursorRow;
  ConsoleSelection& selection = Console.selection;
  if (!selection.Empty()) {
    if (selection.firstRow == 0) {
      selection = ConsoleSelection{};
    } else {
      --selection.firstRow;
      --selection.lastRow;
    }
  }
  FlagLayout();
}

void WriteLocked(uint8_t c) {
  if (!HandleEscape(c)) {
    if (c < 0x20) {
      ControlCharacter(c);
    } else {
      uint16_t code;
      if (Decode(c, code)) StoreCharacter(code);
    }
  }
  if (Console.cursorRow >= Console.maxLines) DropFirstLine();
  if (Console.cursorRow >= Console.lineCount) {
    Console.lineCount = Console.cursorRow + 1;
    Console.layoutChanged = true;
  }
  Console.caretMoved = true;
}

}  // namespace

std::unique_lock<std::recursive_mutex> LockConsoleForWriting() {
  std::unique_lock guard(ConsoleLock);
  auto mayWrite = [] { return ExitRequested || !(Console.paused || Console.selecting); };
  if (!mayWrite()) {
    ++heldWriters;
    writersWait.wait(guard, mayWrite);
    --heldWriters;
  }
  return guard;
}

void ConsoleWrite(uint8_t c) {
  auto guard = LockConsoleForWriting();
  WriteLocked(c);
}

void WakeConsoleWriters() { writersWait.notify_all(); }

int HeldConsoleWriters() {
  std::lock_guard guard(ConsoleLock);
  return heldWriters;
}

void ResetConsole() {
  std::lock_guard guard(ConsoleLock);
  Console = ConsoleBuffer{};
  escape = EscapeState{};
}

bool KeyRingPut(uint8_t key) {
  std::lock_guard guard(ConsoleLock);
  if ((Console.keyWrite - Console.keyRead + 16) % 16 >= 15) return false;
  Console.keyRing[Console.keyWrite] = key;
  Console.keyWrite = (Console.keyWrite + 1) % 16;
  return true;
}

int KeyRingGet() {
  std::lock_guard guard(ConsoleLock);
  if (Console.keyRead == Console.keyWrite) return -1;
  int key = Console.keyRing[Console.keyRead];
  Console.keyRead = (Console.keyRead + 1) % 16;
  return key;
}

Colour BasicColour(int index, bool bright) {
  if (index < 0 || index > 15) return 0xFFFFFF;
  return bright ? BrightPalette[index] : NormalPalette[index];
}

Colour ExtendedColour(int index) {
  if (index < 0 || index > 255) return 0xFFFFFF;
  if (index < 16) return XtermFirst16[index];
  if (index < 232) {
    constexpr int Levels[6] = {0, 95, 135, 175, 215, 255};
    int cube = index - 16;
    Colour red = static_cast<Colour>(Levels[cube / 36]);
    Colour green = static_cast<Colour>(Levels[cube / 6 % 6]);
    Colour blue = static_cast<Colour>(Levels[cube % 6]);
    return blue << 16 | green << 8 | red;
  }
  Colour grey = static_cast<Colour>(8 + 10 * (index - 232));
  return grey << 16 | grey << 8 | grey;
}

std::string ConsoleRowText(int row) {
  std::lock_guard guard(ConsoleLock);
  std::string text;
  if (row < 0 || row >= Console.maxLines) return text;
  const ConsoleLine& line = Line(row);
  for (int i = 0; i < line.length; ++i) AppendUtf8(text, line.characters[i]);
  return text;
}

std::string ConsoleSelectionText() {
  std::lock_guard guard(ConsoleLock);
  std::string text;
  const ConsoleSelection& selection = Console.selection;
  if (selection.Empty()) return text;
  for (int row = selection.firstRow; row <= selection.lastRow && row < Console.lineCount; ++row) {
    const ConsoleLine& line = Line(row);
    for (int column = selection.firstColumn; column <= selection.lastColumn; ++column) {
      // The clipboard holds UTF-8, as the text that came in.
      if (column < line.length && column < Console.columns) AppendUtf8(text, line.characters[column]);
    }
    text += "\r\n";
  }
  return text;
}
