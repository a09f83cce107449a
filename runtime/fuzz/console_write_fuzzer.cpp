// libFuzzer target: the console's terminal writer on any bytes: text, control
// characters, escape sequences and UTF-8, written as the standard output writes them
// (ConsolePutChar into ConsoleWrite) or as the pipe readers do (PipeCharFilter). The
// first bytes set what the console window would have set: the rows it shows and a
// selection.
//
// Beyond a crash it checks the buffer after every byte (the cursor inside the buffer
// and its line, the line count, the key ring) and every line at the end, and that
// plain text lands in the cells as written.
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/console_buffer.h"
#include "runtime/console_streams.h"
#include "runtime/fuzz/fuzz_support.h"

namespace {

void CheckLine(const ConsoleLine& line) { FuzzCheck(line.length >= 0 && line.length <= Console.columns); }

void CheckCursor() {
  FuzzCheck(Console.cursorRow >= 0 && Console.cursorRow < Console.maxLines);
  FuzzCheck(Console.cursorColumn >= 0 && Console.cursorColumn < Console.columns);
  FuzzCheck(Console.lineCount >= Console.cursorRow && Console.lineCount <= Console.maxLines);
  FuzzCheck(Console.topLine >= 0);
  FuzzCheck(Console.keyRead >= 0 && Console.keyRead < 16 && Console.keyWrite >= 0 && Console.keyWrite < 16);
  const ConsoleSelection& selection = Console.selection;
  FuzzCheck(selection.Empty() || (selection.firstRow >= 0 && selection.lastRow >= selection.firstRow));
  CheckLine(Console.lines[static_cast<size_t>(Console.cursorRow)]);
}

// What ResetConsole does, without a fresh 2.4 MB of lines for every input, which
// would cost more than the input itself: the lines are kept and emptied, and "@@@"
// ends whatever escape sequence or UTF-8 character the last input left open (a
// pending escape, a letter's or '$''s skipped byte, a sequence, a lead byte).
void StartAfresh() {
  static ConsoleBuffer blank = [] {
    ConsoleBuffer buffer;
    buffer.lines.slots.clear();
    return buffer;
  }();
  for (char c : {'@', '@', '@'}) ConsoleWrite(static_cast<uint8_t>(c));
  std::vector<ConsoleLine> slots = std::move(Console.lines.slots);
  Console = blank;
  Console.lines.slots = std::move(slots);
  Console.lines.Clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (FuzzFolder(), InstallConsoleSink(ConsoleWrite), true);
  (void)started;
  if (size < 4) return 0;
  StartAfresh();
  bool throughPipe = data[0] & 0x01;
  Console.visibleRows = data[1] % 64;
  if (data[0] & 0x02) {
    int first = data[2] % 8, last = first + data[3] % 8;
    Console.selection = ConsoleSelection{first, 0, last, 10};
  }
  data += 4;
  size -= 4;

  bool plain = size < static_cast<size_t>(Console.columns) && !throughPipe;
  for (size_t i = 0; i < size; ++i) {
    plain = plain && data[i] >= 0x20 && data[i] < 0x7F;
    if (throughPipe) PipeCharFilter(data[i]);
    else ConsolePutChar(data[i]);
    CheckCursor();
  }
  for (int row = 0; row < Console.maxLines; ++row) CheckLine(Console.lines[static_cast<size_t>(row)]);
  ConsoleRowText(Console.cursorRow);
  ConsoleSelectionText();
  while (KeyRingGet() >= 0) {
  }
  if (plain) FuzzCheck(ConsoleRowText(0) == std::string(reinterpret_cast<const char*>(data), size));
  // A line break the pipe's filter still holds would open the next input.
  if (throughPipe) PipeCharFilter('.');
  return 0;
}
