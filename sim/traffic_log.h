// What crossed the line, as the simulated system saw it: one line per request heard
// (RX) and per reply sent (TX), with every byte in hex, and notes on what the units
// did (restarts, speed changes, faults). Tests assert on it; quarnet-sim writes it to
// its --log file as it happens.
//
//      1234.567 RX 05 45 10 10 C4 BC
//      1234.573 TX 05 45 10 10 02 8D 00 02 02 62 29 00 1B 48
//      1234.574 -- unit 5: restarting into its boot loader
//      1301.020 RX 01 45 10 42 block $1A004000 (8192 bytes)
//
// A block of a download or a flash write is one line: its head, address and length.
// The time is in milliseconds on the simulator's clock.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

enum class TrafficKind { Received, Sent, Note };

struct TrafficEntry {
  uint64_t time = 0;  // microseconds
  TrafficKind kind = TrafficKind::Note;
  std::string text;  // the bytes in hex, or the note
};

class TrafficLog {
 public:
  void Received(uint64_t time, std::span<const uint8_t> bytes);
  void ReceivedBlock(uint64_t time, std::span<const uint8_t> head, uint32_t address, uint32_t length);
  void Sent(uint64_t time, std::span<const uint8_t> bytes);
  void Note(uint64_t time, const std::string& text);

  const std::vector<TrafficEntry>& Entries() const { return entries_; }
  // The hex of every entry of one kind, in order.
  std::vector<std::string> Of(TrafficKind kind) const;
  void Clear() { entries_.clear(); }
  // Called with each line as it is added.
  std::function<void(const std::string& line)> onLine;
  // A long-running server only writes the lines out and keeps none.
  bool keepEntries = true;

  static std::string Line(const TrafficEntry& entry);

 private:
  void Add(TrafficEntry entry);
  std::vector<TrafficEntry> entries_;
};

// "05 45 10 10": two upper-case hex digits per byte.
std::string HexBytes(std::span<const uint8_t> bytes);
// "1A004000": eight upper-case hex digits.
std::string Hex8(uint32_t value);
