#include "sim/unit_documents.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace {

constexpr const char* SetupHeading = "Velantor setup";

std::string ValueText(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

// Inside double quotes, a quote doubled.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The next comma-separated field, taken off the front of `rest`.
std::string_view TakeField(std::string_view& rest) {
  size_t comma = rest.find(',');
  std::string_view field = rest.substr(0, comma);
  rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  return field;
}

template <class Number>
bool ReadWhole(std::string_view text, Number& number) {
  auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
  return !text.empty() && failure == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string RenderSetup(const SimUnit& unit) {
  std::string text = std::string(SetupHeading) + "," + std::to_string(unit.Identity().card) + "," +
                     std::to_string(unit.Identity().serialNumber) + "\r\n";
  for (const UnitSetting& setting : unit.settings) {
    text += "Setting," + std::to_string(setting.number) + "," + ValueText(setting.value) + "," +
            std::to_string(setting.decimals) + "," + std::to_string(setting.countBy) + "," + setting.unitsText +
            "\r\n";
  }
  return text;
}

std::optional<std::vector<UnitSetting>> ReadSetup(const Bytes& file) {
  std::vector<std::string_view> lines = Lines(std::string_view(reinterpret_cast<const char*>(file.data()), file.size()));
  if (lines.empty() || lines[0].substr(0, lines[0].find(',')) != SetupHeading) return std::nullopt;
  std::vector<UnitSetting> settings;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string_view rest = lines[i];
    UnitSetting setting;
    if (TakeField(rest) != "Setting" || !ReadWhole(TakeField(rest), setting.number) ||
        !ReadWhole(TakeField(rest), setting.value) || !ReadWhole(TakeField(rest), setting.decimals) ||
        !ReadWhole(TakeField(rest), setting.countBy)) {
      return std::nullopt;
    }
    setting.unitsText = std::string(rest.substr(0, 255));
    settings.push_back(setting);
  }
  return settings;
}

std::string RenderModbusTable(const SimUnit& unit) {
  std::string text = "Register,Setting,Value,Decimals,Units\r\n";
  int reg = 40001;
  for (const UnitSetting& setting : unit.settings) {
    text += std::to_string(reg) + "," + std::to_string(setting.number) + "," + ValueText(setting.value) + "," +
            std::to_string(setting.decimals) + "," + Quoted(setting.unitsText) + "\r\n";
    reg += 2;
  }
  return text;
}

std::string RenderFieldbusTable(const SimUnit& unit) {
  std::string text = "Data Address,Data Name,Scope,Size,Type,Min,Max,Default,Decimal Places,Units,Bit Names\r\n";
  text += "1,\"Gross weight\",OUTPUT,4,REAL32,-1000000,1000000,0,1,\"kg\",\"\"\r\n";
  text += "2,\"Net weight\",OUTPUT,4,REAL32,-1000000,1000000,0,1,\"kg\",\"\"\r\n";
  text += "3,\"Status\",OUTPUT,2,BITS16,0,65535,0,0,\"\",\"Stable,Overload,,Zero band\"\r\n";
  text += "20,\"Command\",INPUT,2,BITS16,0,65535,0,0,\"\",\"Zero,Tare,Print\"\r\n";
  text += "21,\"Output enable\",INPUT,1,BOOL,0,1,0,0,\"\",\"\"\r\n";
  int address = 100;
  for (const UnitSetting& setting : unit.settings) {
    int decimals = setting.decimals > 9 ? 9 : setting.decimals;
    // A default outside the item's limits would make the table unusable.
    float shown = std::clamp(setting.value, -1e6f, 1e6f);
    text += std::to_string(address++) + ",\"Setting " + std::to_string(setting.number) +
            "\",SETTING,4,REAL32,-1000000,1000000," + ValueText(shown) + "," + std::to_string(decimals) + "," +
            Quoted(setting.unitsText) + ",\"\"\r\n";
  }
  return text;
}
