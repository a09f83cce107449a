// The serial boot ROM of an LPC MCU (its in-system-programming handshake), as a
// blank chip or one started with the boot button pressed answers. The host sends
// "?"; the ROM answers "Synchronized\r\n"; the host sends that line back; the ROM
// echoes it and adds "OK\r\n". From then on it echoes what it hears, as the ROM does
// by default, and answers every further command line with return code 1
// (INVALID_COMMAND): Quarnet goes no further than the handshake.
#pragma once

#include <string>

struct BootRom {
  enum class Stage { AwaitQuestion, AwaitSynchronized, Synchronized };
  Stage stage = Stage::AwaitQuestion;
  std::string line;  // what has been heard of the handshake line (once synchronized: the last character)
};

// What the ROM answers to the bytes it heard.
std::string BootRomHears(BootRom& rom, std::string_view heard);
