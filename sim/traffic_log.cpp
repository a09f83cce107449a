#include "sim/traffic_log.h"

#include <cstdio>

std::string HexBytes(std::span<const uint8_t> bytes) {
  std::string text;
  for (uint8_t byte : bytes) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    if (!text.empty()) text += ' ';
    text += digits;
  }
  return text;
}

std::string Hex8(uint32_t value) {
  char digits[12];
  std::snprintf(digits, sizeof digits, "%08X", value);
  return digits;
}

void TrafficLog::Received(uint64_t time, std::span<const uint8_t> bytes) {
  Add({time, TrafficKind::Received, HexBytes(bytes)});
}

void TrafficLog::ReceivedBlock(uint64_t time, std::span<const uint8_t> head, uint32_t address, uint32_t length) {
  Add({time, TrafficKind::Received,
       HexBytes(head) + " block $" + Hex8(address) + " (" + std::to_string(length) + " bytes)"});
}

void TrafficLog::Sent(uint64_t time, std::span<const uint8_t> bytes) {
  Add({time, TrafficKind::Sent, HexBytes(bytes)});
}

void TrafficLog::Note(uint64_t time, const std::string& text) { Add({time, TrafficKind::Note, text}); }

std::vector<std::string> TrafficLog::Of(TrafficKind kind) const {
  std::vector<std::string> texts;
  for (const TrafficEntry& entry : entries_) {
    if (entry.kind == kind) texts.push_back(entry.text);
  }
  return texts;
}

std::string TrafficLog::Line(const TrafficEntry& entry) {
  static const char* const marks[] = {"RX", "TX", "--"};
  char time[32];
  std::snprintf(time, sizeof time, "%10.3f", static_cast<double>(entry.time) / 1000.0);
  return std::string(time) + " " + marks[static_cast<int>(entry.kind)] + " " + entry.text;
}

void TrafficLog::Add(TrafficEntry entry) {
  if (onLine) onLine(Line(entry));
  if (keepEntries) entries_.push_back(std::move(entry));
}
