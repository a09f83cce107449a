#include "sim/boot_rom.h"

namespace {

constexpr std::string_view SyncLine = "Synchronized\r\n";

void Hear(BootRom& rom, char c, std::string& answer) {
  switch (rom.stage) {
    case BootRom::Stage::AwaitQuestion:
      // The ROM measures the line speed from the bits of "?"; anything else is no start.
      if (c == '?') {
        answer += SyncLine;
        rom.stage = BootRom::Stage::AwaitSynchronized;
        rom.line.clear();
      }
      return;
    case BootRom::Stage::AwaitSynchronized:
      rom.line += c;
      if (!SyncLine.starts_with(rom.line)) {
        // Not the handshake: wait for a new "?", which this byte may already be.
        rom.stage = BootRom::Stage::AwaitQuestion;
        Hear(rom, c, answer);
      } else if (rom.line == SyncLine) {
        answer += SyncLine;
        answer += "OK\r\n";
        rom.stage = BootRom::Stage::Synchronized;
        rom.line.clear();
      }
      return;
    case BootRom::Stage::Synchronized:
      answer += c;
      // Only the end of a line matters here, so only the last character is kept.
      if (c == '\n' && rom.line == "\r") answer += "1\r\n";
      rom.line.assign(1, c);
      return;
  }
}

}  // namespace

std::string BootRomHears(BootRom& rom, std::string_view heard) {
  std::string answer;
  for (char c : heard) Hear(rom, c, answer);
  return answer;
}
