#include "sim/system_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "sim/file_checks.h"

namespace {

std::string_view Trim(std::string_view text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower;
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Decimal, or hex after "0x".
bool ReadNumber(std::string_view text, uint64_t largest, uint64_t& value, std::string& error) {
  std::string_view digits = text;
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    base = 16;
  }
  auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || failure != std::errc() || end != digits.data() + digits.size()) {
    error = "'" + std::string(text) + "' is not a number";
    return false;
  }
  if (value > largest) {
    error = std::string(text) + " is more than " + std::to_string(largest);
    return false;
  }
  return true;
}

template <typename T>
bool ReadNumber(std::string_view text, T& field, std::string& error,
                uint64_t largest = static_cast<uint64_t>(std::numeric_limits<T>::max())) {
  uint64_t value = 0;
  if (!ReadNumber(text, largest, value, error)) return false;
  field = static_cast<T>(value);
  return true;
}

bool ReadFlag(std::string_view text, bool& flag, std::string& error) {
  std::string word = Lower(text);
  if (word == "yes" || word == "true" || word == "1") flag = true;
  else if (word == "no" || word == "false" || word == "0") flag = false;
  else error = "'" + std::string(text) + "' is neither yes nor no";
  return error.empty();
}

bool ReadSpeed(std::string_view text, uint32_t& speed, std::string& error) {
  if (!ReadNumber(text, speed, error, 4'000'000)) return false;
  if (speed == 0) error = "a speed of 0";
  return error.empty();
}

// The fields of one unit, one table entry per key.
struct Field {
  const char* key;
  bool (*read)(std::string_view value, UnitDescription& unit, std::string& error);
};

bool ReadAttached(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadFlag(value, unit.attached, error);
}

bool ReadProgram(std::string_view value, UnitDescription& unit, std::string& error) {
  std::string word = Lower(value);
  word.erase(std::remove(word.begin(), word.end(), ' '), word.end());
  if (word == "software") unit.program = Program::Software;
  else if (word == "bootloader") unit.program = Program::BootLoader;
  else if (word == "bootrom") unit.program = Program::BootRom;
  else if (word == "programmer") unit.program = Program::Programmer;
  else error = "'" + std::string(value) + "' is not software, bootloader, bootrom or programmer";
  return error.empty();
}

bool ReadUnitSpeed(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadSpeed(value, unit.speed.baud, error);
}

bool ReadParity(std::string_view value, UnitDescription& unit, std::string& error) {
  std::string word = Lower(value);
  if (word != "none" && word != "even" && word != "odd") {
    error = "'" + std::string(value) + "' is not none, even or odd";
    return false;
  }
  unit.speed.parityOn = word != "none";
  unit.speed.even = word == "even";
  return true;
}

bool ReadBootLoaderSpeed(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadSpeed(value, unit.bootLoaderSpeed, error);
}

bool ReadRestartTime(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.restartTime, error, 3'600'000);
}

bool ReadReadyAfter(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.readyAfter, error, 3'600'000);
}

bool ReadVirtualComPort(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadFlag(value, unit.virtualComPort, error);
}

bool ReadAppliesUpdates(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadFlag(value, unit.appliesUpdates, error);
}

bool ReadLogs(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadFlag(value, unit.keepsLogs, error);
}

bool ReadBufferSize(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.bufferSize, error);
}

bool ReadDebugLogs(std::string_view value, UnitDescription& unit, std::string& error) {
  unit.debugLogs.clear();
  std::string list(value);
  std::replace(list.begin(), list.end(), ',', ' ');
  std::istringstream words(list);
  std::string word;
  while (words >> word) {
    uint16_t id = 0;
    if (!ReadNumber(word, id, error)) return false;
    unit.debugLogs.push_back(id);
  }
  if (unit.debugLogs.size() > 255) error = "more than 255 debug logs";
  return error.empty();
}

// "number, value, decimals, count-by, units text".
bool ReadSetting(std::string_view value, UnitDescription& unit, std::string& error) {
  std::string_view parts[5];
  std::string_view rest = value;
  for (int i = 0; i < 4; ++i) {
    size_t comma = rest.find(',');
    if (comma == std::string_view::npos) {
      error = "a setting is: number, value, decimals, count-by, units text";
      return false;
    }
    parts[i] = Trim(rest.substr(0, comma));
    rest = rest.substr(comma + 1);
  }
  parts[4] = Trim(rest);
  UnitSetting setting;
  setting.unitsText = std::string(parts[4]);
  auto [end, failure] = std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), setting.value);
  if (parts[1].empty() || failure != std::errc() || end != parts[1].data() + parts[1].size()) {
    error = "'" + std::string(parts[1]) + "' is not a value";
    return false;
  }
  // On the wire the decimals take 4 bits and the count-by 12.
  if (!ReadNumber(parts[0], setting.number, error) || !ReadNumber(parts[2], setting.decimals, error, 15) ||
      !ReadNumber(parts[3], setting.countBy, error, 4095)) {
    return false;
  }
  if (setting.unitsText.size() > 255) {
    error = "a units text of more than 255 characters";
    return false;
  }
  unit.settings.push_back(setting);
  return true;
}

bool ReadCard(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.card, error, 32767);
}

bool ReadCircuit(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.circuit, error, 32767);
}

// A letter and a number ("B3"), or "-" for none.
bool ReadRevision(std::string_view value, UnitDescription& unit, std::string& error) {
  UnitIdentity& identity = unit.identity;
  if (value == "-") {
    identity.revisionLetter = identity.revisionNumber = 0;
    return true;
  }
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value.empty() ? 0 : value[0])));
  if (letter < 'A' || letter > 'Z') {
    error = "a revision is a letter and a number (B3), or -";
    return false;
  }
  identity.revisionLetter = static_cast<uint8_t>(letter - 0x40);
  identity.revisionNumber = 0;
  return value.size() == 1 || ReadNumber(value.substr(1), identity.revisionNumber, error);
}

bool ReadProduct(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.product, error);
}

// "6.12r41", as the unit report shows it; the release may be left out.
bool ReadSoftware(std::string_view value, UnitDescription& unit, std::string& error) {
  size_t dot = value.find('.');
  size_t r = value.find_first_of("rR");
  std::string_view major = value.substr(0, dot);
  std::string_view minor = dot == std::string_view::npos ? "" : value.substr(dot + 1, r - dot - 1);
  std::string_view release = r == std::string_view::npos ? "0" : value.substr(r + 1);
  unsigned majorNumber = 0;
  if (!AllDigits(major) || minor.size() != 2 || !AllDigits(minor) || !AllDigits(release) ||
      !ReadNumber(major, majorNumber, error, 327) ||
      !ReadNumber(release, unit.identity.softwareBuild, error)) {
    error = "'" + std::string(value) + "' is not a version such as 6.12r41";
    return false;
  }
  // The version travels as a signed 16-bit word: 327.67 is the last that fits.
  unsigned version = majorNumber * 100 + (minor[0] - '0') * 10 + (minor[1] - '0');
  if (version > 32767) {
    error = "'" + std::string(value) + "' is more than 327.67";
    return false;
  }
  unit.identity.softwareVersion = static_cast<int16_t>(version);
  return true;
}

bool ReadBuildIncrement(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.buildIncrement, error, 127);
}

bool ReadSerialNumber(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.serialNumber, error);
}

bool ReadUnitFlags(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.unitFlags, error);
}

// "2024-05-17 09:30:00".
bool ReadBuildTime(std::string_view value, UnitDescription& unit, std::string& error) {
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char end = 0;
  std::string text(value);
  int fields = std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%c", &year, &month, &day, &hour, &minute,
                           &second, &end);
  if (fields != 6 || year < 2000 || year > 2099 || month < 1 || month > 12 || day < 1 || day > 31 ||
      hour > 23 || minute > 59 || second > 59) {
    error = "'" + text + "' is not a time such as 2024-05-17 09:30:00";
    return false;
  }
  unit.identity.buildTime = {static_cast<uint8_t>(year - 2000), static_cast<uint8_t>(month),
                             static_cast<uint8_t>(day),         static_cast<uint8_t>(hour),
                             static_cast<uint8_t>(minute),      static_cast<uint8_t>(second)};
  return true;
}

// The text as written; \n, \r, \t, \\ and \xHH stand for their characters.
bool ReadInformation(std::string_view value, UnitDescription& unit, std::string& error) {
  std::string text;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      text += value[i];
      continue;
    }
    char next = i + 1 < value.size() ? value[++i] : 0;
    if (next == 'n') text += '\n';
    else if (next == 'r') text += '\r';
    else if (next == 't') text += '\t';
    else if (next == '\\') text += '\\';
    else if (next == 'x' && i + 2 < value.size() && std::isxdigit(static_cast<unsigned char>(value[i + 1])) &&
             std::isxdigit(static_cast<unsigned char>(value[i + 2]))) {
      text += static_cast<char>(std::stoi(std::string(value.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      error = "unknown escape in '" + std::string(value) + "' (\\n, \\r, \\t, \\\\ and \\xHH are known)";
      return false;
    }
  }
  if (text.size() > 255) {
    error = "an information text of more than 255 characters";
    return false;
  }
  unit.identity.information = text;
  return true;
}

// A number, or the MCU's name.
bool ReadMcu(std::string_view value, UnitDescription& unit, std::string& error) {
  static const char* const names[] = {"h8s2148", "h8s2145", "lpc2478", "lpc4078",
                                      "lpc1768", "lpc4337", "lpc4357"};
  std::string word = Lower(value);
  for (size_t i = 0; i < std::size(names); ++i) {
    if (word == names[i]) {
      unit.identity.mcu = static_cast<uint8_t>(i + 1);
      return true;
    }
  }
  // The MCU type shares its byte with the boot loader version: 4 bits.
  return ReadNumber(value, unit.identity.mcu, error, 15);
}

bool ReadBootLoaderType(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.bootType, error, 127);
}

bool ReadBootLoaderVersion(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.bootVersion, error, 15);
}

bool ReadBootLoaderRelease(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.bootRelease, error, 127);
}

bool ReadBootFlags(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.bootFlags, error);
}

bool ReadChecksum(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.checksum, error);
}

bool ReadSoftwareCrc(std::string_view value, UnitDescription& unit, std::string& error) {
  return ReadNumber(value, unit.identity.softwareCrc, error);
}

// Where the PC files that File names are looked for when their path is relative.
std::string systemFolder;

constexpr uint32_t MaxFileSize = 16 * 1024 * 1024;

bool ReadDrives(std::string_view value, UnitDescription& unit, std::string& error) {
  unit.drives.clear();
  std::string list(value);
  std::replace(list.begin(), list.end(), ',', ' ');
  std::istringstream words(list);
  std::string word;
  while (words >> word) {
    uint8_t drive = 0;
    if (!ReadNumber(word, drive, error)) return false;
    unit.drives.push_back(drive);
  }
  if (unit.drives.empty()) error = "no drives";
  return error.empty();
}

// "1:0x0100": a drive and a file number.
bool ReadFileKey(std::string_view text, FileKey& key, std::string& error) {
  size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    error = "a file is DRIVE:FILE, such as 1:0x0100";
    return false;
  }
  return ReadNumber(Trim(text.substr(0, colon)), key.first, error) &&
         ReadNumber(Trim(text.substr(colon + 1)), key.second, error);
}

// Hex bytes separated by blanks ("DE AD BE EF"), or "counting": 0, 1, 2, ...
bool ReadPattern(std::string_view text, Bytes& pattern, std::string& error) {
  if (Lower(text) == "counting") {
    for (int i = 0; i < 256; ++i) pattern.push_back(static_cast<uint8_t>(i));
    return true;
  }
  std::istringstream words{std::string(text)};
  std::string word;
  while (words >> word) {
    uint8_t byte = 0;
    if (word.size() > 2 || !ReadNumber("0x" + word, byte, error)) {
      error = "'" + std::string(text) + "' is not hex bytes such as 55 or DE AD BE EF";
      return false;
    }
    pattern.push_back(byte);
  }
  if (pattern.empty()) error = "an empty pattern";
  return error.empty();
}

// "DRIVE:FILE, PATH" (a PC file's bytes) or "DRIVE:FILE, SIZE, PATTERN".
bool ReadFile(std::string_view value, UnitDescription& unit, std::string& error) {
  size_t comma = value.find(',');
  FileKey key;
  if (comma == std::string_view::npos) {
    error = "a file is DRIVE:FILE, PATH or DRIVE:FILE, SIZE, PATTERN";
    return false;
  }
  if (!ReadFileKey(Trim(value.substr(0, comma)), key, error)) return false;
  std::string_view rest = Trim(value.substr(comma + 1));
  size_t second = rest.find(',');
  SimFile file;
  if (second != std::string_view::npos && AllDigits(Trim(rest.substr(0, second)))) {
    uint32_t size = 0;
    Bytes pattern;
    if (!ReadNumber(Trim(rest.substr(0, second)), size, error, MaxFileSize) ||
        !ReadPattern(Trim(rest.substr(second + 1)), pattern, error)) {
      return false;
    }
    for (uint32_t i = 0; i < size; ++i) file.data.push_back(pattern[i % pattern.size()]);
  } else {
    std::string path(rest);
    if (!path.empty() && path[0] != '/' && !systemFolder.empty()) path = systemFolder + "/" + path;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      error = "cannot read " + path + ": " + std::strerror(errno);
      return false;
    }
    file.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (file.data.size() > MaxFileSize) {
      error = path + " is more than " + std::to_string(MaxFileSize) + " bytes";
      return false;
    }
  }
  unit.files[key] = std::move(file);
  return true;
}

// "DRIVE:FILE, HEX BYTES" (the stored associative array as it is) or "DRIVE:FILE, crc"
// (property 1 holding the file's CRC, as the tool stores it), for a file given above.
bool ReadFileProperties(std::string_view value, UnitDescription& unit, std::string& error) {
  size_t comma = value.find(',');
  FileKey key;
  if (comma == std::string_view::npos || !ReadFileKey(Trim(value.substr(0, comma)), key, error)) {
    if (error.empty()) error = "file properties are DRIVE:FILE, HEX BYTES or DRIVE:FILE, crc";
    return false;
  }
  auto file = unit.files.find(key);
  if (file == unit.files.end()) {
    error = "no File " + std::string(Trim(value.substr(0, comma))) + " above in this unit";
    return false;
  }
  std::string_view rest = Trim(value.substr(comma + 1));
  Bytes properties;
  if (Lower(rest) == "crc") {
    // Key 1, then the narrowest unsigned type: 3 (one byte) or 4 (two bytes).
    uint16_t crc = UnitFileCrc(file->second.data);
    properties = crc < 256 ? Bytes{1, 0x31, static_cast<uint8_t>(crc)}
                           : Bytes{1, 0x42, static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)};
  } else if (!rest.empty() && !ReadPattern(rest, properties, error)) {
    return false;
  }
  if (properties.size() > 255) {
    error = "more than 255 property bytes";
    return false;
  }
  file->second.properties = properties;
  return true;
}

constexpr Field Fields[] = {
    {"Attached", ReadAttached},
    {"Program", ReadProgram},
    {"Speed", ReadUnitSpeed},
    {"Parity", ReadParity},
    {"BootLoaderSpeed", ReadBootLoaderSpeed},
    {"RestartTime", ReadRestartTime},
    {"ReadyAfter", ReadReadyAfter},
    {"VirtualComPort", ReadVirtualComPort},
    {"BufferSize", ReadBufferSize},
    {"DebugLogs", ReadDebugLogs},
    {"Logs", ReadLogs},
    {"AppliesUpdates", ReadAppliesUpdates},
    {"Setting", ReadSetting},
    {"Card", ReadCard},
    {"Circuit", ReadCircuit},
    {"Revision", ReadRevision},
    {"Product", ReadProduct},
    {"Software", ReadSoftware},
    {"BuildIncrement", ReadBuildIncrement},
    {"SerialNumber", ReadSerialNumber},
    {"UnitFlags", ReadUnitFlags},
    {"BuildTime", ReadBuildTime},
    {"Information", ReadInformation},
    {"Mcu", ReadMcu},
    {"BootLoaderType", ReadBootLoaderType},
    {"BootLoaderVersion", ReadBootLoaderVersion},
    {"BootLoaderRelease", ReadBootLoaderRelease},
    {"BootFlags", ReadBootFlags},
    {"Checksum", ReadChecksum},
    {"SoftwareCrc", ReadSoftwareCrc},
    {"Drives", ReadDrives},
    {"File", ReadFile},
    {"FileProperties", ReadFileProperties},
};

const Field* FindField(std::string_view key) {
  std::string lower = Lower(key);
  for (const Field& field : Fields) {
    if (Lower(field.key) == lower) return &field;
  }
  return nullptr;
}

// "[unit 5]": the unit's address.
bool ReadSectionHeader(std::string_view line, int& address, std::string& error) {
  std::string_view inside =
      line.size() >= 2 && line.back() == ']' ? Trim(line.substr(1, line.size() - 2)) : "";
  uint8_t number = 0;
  if (inside.size() < 5 || Lower(inside.substr(0, 4)) != "unit" ||
      !ReadNumber(Trim(inside.substr(4)), number, error)) {
    error = "a section is [unit N], N the unit's address";
    return false;
  }
  if (number == 0 || number > 247 || number == ProbeAddress) {
    error = "address " + std::to_string(number) +
            ": units are at 1 to 247, but not 240 (the address the tool probes)";
    return false;
  }
  address = number;
  return true;
}

// Where a unit's section and each of its keys were written: a refusal that can
// only come once the section or the file has ended still names a line.
struct SectionLines {
  int header = 0;
  std::map<std::string, int> keys;  // lower case; the last line of each
};

std::string AtLine(int lineNumber) { return "line " + std::to_string(lineNumber) + ": "; }

// What a section must hold, and the defaults that depend on other keys.
bool FinishUnit(UnitDescription& unit, const SectionLines& lines, std::string& error) {
  for (const char* required : {"Card", "Software"}) {
    if (!lines.keys.contains(Lower(required))) {
      error = AtLine(lines.header) + "unit " + std::to_string(unit.address) + ": " + required + " is missing";
      return false;
    }
  }
  if (!lines.keys.contains("mcu")) unit.identity.mcu = CardMcu(unit.identity.card, unit.identity.circuit);
  return true;
}

// lastLine: the file's last line, where a file without units is found out.
bool FinishSystem(SystemDescription& system, const std::vector<SectionLines>& sections, int lastLine,
                  std::string& error) {
  if (system.units.empty()) {
    error = AtLine(std::max(lastLine, 1)) + "no units: a system needs at least a [unit N] section";
    return false;
  }
  if (system.units.size() == 1) system.units[0].attached = true;
  long attached = std::count_if(system.units.begin(), system.units.end(),
                                [](const UnitDescription& unit) { return unit.attached; });
  if (attached != 1) {
    // Too many: the second unit that says so. None: the first section, where the
    // attached unit usually goes.
    int line = sections[0].header;
    if (attached > 1) {
      auto first = std::find_if(system.units.begin(), system.units.end(),
                                [](const UnitDescription& unit) { return unit.attached; });
      auto second = std::find_if(first + 1, system.units.end(),
                                 [](const UnitDescription& unit) { return unit.attached; });
      line = sections[static_cast<size_t>(second - system.units.begin())].keys.at("attached");
    }
    error = AtLine(line) + std::to_string(attached) +
            " units say Attached = yes; exactly one sits on the PC's port";
    return false;
  }
  return true;
}

}  // namespace

bool ReadSystemText(std::string_view text, SystemDescription& system, std::string& error) {
  system = SystemDescription{};
  std::vector<SectionLines> sections;  // one for each unit
  std::set<int> addresses;
  int lineNumber = 0;
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = Trim(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    ++lineNumber;
    std::string problem;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      int address = 0;
      if (!system.units.empty() && !FinishUnit(system.units.back(), sections.back(), error)) return false;
      if (!ReadSectionHeader(line, address, problem)) {
        error = AtLine(lineNumber) + problem;
        return false;
      }
      if (!addresses.insert(address).second) {
        error = AtLine(lineNumber) + "a second unit at address " + std::to_string(address);
        return false;
      }
      system.units.emplace_back().address = static_cast<uint8_t>(address);
      sections.emplace_back().header = lineNumber;
      continue;
    }
    size_t equals = line.find('=');
    if (system.units.empty() || equals == std::string_view::npos) {
      error = AtLine(lineNumber) +
              (system.units.empty() ? "settings start after a [unit N] section" : "expected Key = value");
      return false;
    }
    std::string_view key = Trim(line.substr(0, equals));
    const Field* field = FindField(key);
    if (field == nullptr) {
      error = AtLine(lineNumber) + "unknown key '" + std::string(key) + "'";
      return false;
    }
    if (!field->read(Trim(line.substr(equals + 1)), system.units.back(), problem)) {
      error = AtLine(lineNumber) + field->key + ": " + problem;
      return false;
    }
    sections.back().keys[Lower(key)] = lineNumber;
  }
  if (!system.units.empty() && !FinishUnit(system.units.back(), sections.back(), error)) return false;
  return FinishSystem(system, sections, lineNumber, error);
}

bool ReadSystemFile(const std::string& path, SystemDescription& system, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  std::string text;
  if (file) text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (!file && !file.eof()) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  size_t slash = path.rfind('/');
  systemFolder = slash == std::string::npos ? "" : path.substr(0, slash);
  bool read = ReadSystemText(text, system, error);
  systemFolder.clear();
  if (!read) {
    error = path + ": " + error;
    return false;
  }
  return true;
}
