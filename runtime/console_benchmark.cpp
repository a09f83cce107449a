// Bytes and characters per second through the console's terminal, set beside libvterm
// (the terminal library of Neovim and others) on the same long log stream: the console
// takes every byte the program and its pipes write, so a slow terminal holds up the
// operation that writes.
#include <benchmark/benchmark.h>
#include <vterm.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/console_buffer.h"
#include "runtime/console_streams.h"
#include "testing/pseudorandom.h"

namespace {

constexpr size_t StreamSize = 4 << 20;
// libvterm is handed the stream as a terminal reads it from its pseudo-terminal. In one
// piece it would not survive: version 0.1.4 takes stack room for every byte still to
// come, 16 MB for this stream.
constexpr size_t ReadSize = 4096;

struct LogStream {
  std::string bytes;
  int64_t characters = 0;  // what lands in cells: code points outside the sequences

  void Text(std::string_view text) {
    bytes += text;
    for (char c : text) {
      auto byte = static_cast<uint8_t>(c);
      if (byte >= 0x20 && (byte & 0xC0) != 0x80) ++characters;
    }
  }
  void Control(std::string_view text) { bytes += text; }
};

std::string TwoDigits(uint32_t n) { return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)}; }

// What a long update session leaves on the console: time-stamped log lines, remote-call
// results in colour, progress lines redrawn in place, tables with tabs, hex traces
// longer than the window is wide, and text in other languages.
LogStream MakeLogStream() {
  LogStream stream;
  Pseudorandom random;
  static const char* const units[] = {"02 KT7 transmitter", "05 KD6 display", "09 KR5 remote I/O", "11 KW3 load cell"};
  static const char* const basic[] = {"\x1b[32m", "\x1b[1;32m", "\x1b[33m", "\x1b[1;33m", "\x1b[36m", "\x1b[1;34m"};
  uint32_t milliseconds = 0;
  while (stream.bytes.size() < StreamSize) {
    milliseconds += 1 + random.Below(400);
    uint32_t seconds = milliseconds / 1000;
    stream.Text(TwoDigits(seconds / 3600 % 24) + ":" + TwoDigits(seconds / 60 % 60) + ":" + TwoDigits(seconds % 60) +
                "." + TwoDigits(milliseconds / 10 % 100) + std::to_string(milliseconds % 10) + " ");
    const char* unit = units[random.Below(4)];
    switch (random.Below(9)) {
      case 0:
        stream.Text("RPC: ReadUnitInfo COMPLETE: card 653, software 6.10r57, serial ");
        stream.Text(std::to_string(100000 + random.Below(900000)));
        break;
      case 1:
        stream.Control(basic[random.Below(6)]);
        stream.Text("OK");
        stream.Control("\x1b[0m");
        stream.Text(std::string(" unit ") + unit + " answered in " + std::to_string(random.Below(90)) + " ms");
        break;
      case 2:
        stream.Control("\x1b[31m");
        stream.Text("-- cannot open COM3: Device or resource busy");
        stream.Control("\x1b[m");
        break;
      case 3:
        stream.Control("\x1b[38;5;" + std::to_string(16 + random.Below(216)) + "m");
        stream.Text("link speed ");
        stream.Control("\x1b[1m");
        stream.Text(std::to_string(9600u << random.Below(5)) + " Bd");
        stream.Control("\x1b[22;38;5;" + std::to_string(232 + random.Below(24)) + "m");
        stream.Text(" negotiated with " + std::string(unit));
        stream.Control("\x1b[0m");
        break;
      case 4:
        stream.Text("Temperatur 23,5 °C, Last 1 250,0 kg ± 0,5 kg — Zählwerk ");
        stream.Text(std::to_string(random.Below(100000)) + " µs, Gewicht brutto/netto ✓");
        break;
      case 5:
        for (int percent = 0; percent <= 100; percent += 20) {
          stream.Control("\r");
          stream.Text("Downloading image to " + std::string(unit) + ": " + std::to_string(percent) + " %");
          stream.Control("\x1b[K");
        }
        break;
      case 6:
        stream.Text("addr");
        stream.Control("\t");
        stream.Text("card");
        stream.Control("\t");
        stream.Text("software");
        stream.Control("\t");
        stream.Text(std::to_string(random.Below(1000)));
        break;
      case 7: {
        stream.Text("TX:");
        uint32_t count = 60 + random.Below(60);  // 180 to 360 columns: two or three rows
        for (uint32_t i = 0; i < count; ++i) {
          static const char hex[] = "0123456789ABCDEF";
          uint32_t byte = random.Byte();
          stream.Text(std::string{' ', hex[byte >> 4], hex[byte & 15]});
        }
        break;
      }
      default:
        stream.Control("\x1b[41;1;37m");
        stream.Text(" ERROR ");
        stream.Control("\x1b[0;4m");
        stream.Text("unit " + std::string(unit) + " did not answer");
        stream.Control("\x1b[24;7m");
        stream.Text(" retry ");
        stream.Control("\x1b[27m");
        break;
    }
    stream.Control("\r\n");
  }
  return stream;
}

const LogStream& TheLogStream() {
  static const LogStream stream = MakeLogStream();
  return stream;
}

void Report(benchmark::State& state, const LogStream& stream) {
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.bytes.size()));
  state.SetItemsProcessed(state.iterations() * stream.characters);
}

// The console's character input with the terminal behind it, as the console thread
// installs it; a full buffer drops its oldest line for every new one.
void ConsoleWriteLogStream(benchmark::State& state) {
  const LogStream& stream = TheLogStream();
  ResetConsole();
  Console.visibleRows = 60;
  InstallConsoleSink(ConsoleWrite);
  for (auto _ : state) {
    for (char c : stream.bytes) ConsolePutChar(static_cast<uint8_t>(c));
  }
  benchmark::DoNotOptimize(Console.cursorRow);
  InstallConsoleSink(nullptr);
  ResetConsole();
  Report(state, stream);
}
BENCHMARK(ConsoleWriteLogStream)->Unit(benchmark::kMillisecond);

// A scrollback that keeps nothing: the lines that leave the screen cost no copies.
int DropLine(int, const VTermScreenCell*, void*) { return 1; }

void ConsoleLibvtermLogStream(benchmark::State& state) {
  const LogStream& stream = TheLogStream();
  VTerm* terminal = vterm_new(60, 120);
  vterm_set_utf8(terminal, 1);
  VTermScreen* screen = vterm_obtain_screen(terminal);
  VTermScreenCallbacks callbacks{};
  callbacks.sb_pushline = DropLine;
  vterm_screen_set_callbacks(screen, &callbacks, nullptr);
  vterm_screen_reset(screen, 1);
  for (auto _ : state) {
    for (size_t at = 0; at < stream.bytes.size(); at += ReadSize) {
      vterm_input_write(terminal, stream.bytes.data() + at, std::min(ReadSize, stream.bytes.size() - at));
    }
  }
  vterm_free(terminal);
  Report(state, stream);
}
BENCHMARK(ConsoleLibvtermLogStream)->Unit(benchmark::kMillisecond);

}  // namespace
