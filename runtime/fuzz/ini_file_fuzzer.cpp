// libFuzzer target: INI and job files as the readers and writers of ini_file.h meet
// them. The input gives a key, a value, what to do, and the file's content; the
// target writes the file into the scratch folder, reads the key every way there is,
// then changes the file (a value, a typed value, or the key's removal) and reads it
// again.
//
// Beyond a crash it checks the readers against a model of the documented rules
// (lines end at CR, line feeds are dropped, lines come in pieces of MaxLineLength;
// a key is everything before the first '='; the first line of the key counts), that
// a change leaves every other line as it was, and that typed values come back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/fuzz/fuzz_support.h"
#include "runtime/ini_file.h"
#include "runtime/string_io.h"

namespace {

using Lines = std::vector<std::string>;

// The lines ReadLine gives for a content, the way string_io.h describes them.
Lines LinesOf(const std::string& content) {
  Lines lines;
  size_t at = 0;
  for (;;) {
    std::string line;
    bool ended = false;
    while (line.size() < static_cast<size_t>(MaxLineLength) && at < content.size()) {
      char c = content[at++];
      if (c == '\r') {
        ended = true;
        break;
      }
      if (c != '\n') line += c;
    }
    if (!ended && line.empty()) return lines;
    lines.push_back(line);
  }
}

std::string KeyOf(const std::string& line) { return line.substr(0, line.find('=')); }

// The value of the key's first line; empty when no line has it.
std::string ValueIn(const Lines& lines, const std::string& key) {
  for (const std::string& line : lines) {
    if (KeyOf(line) != key) continue;
    size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : line.substr(equals + 1);
  }
  return {};
}

std::string FileContent(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Same(const String& text, const std::string& expected) { return text.View() == expected; }

// The lines a change should leave: every line of the key replaced by the entry (or
// left out when entry is null), and the entry added at the end when no line had the key.
Lines Changed(const Lines& before, const std::string& key, const std::string* entry) {
  Lines after;
  bool found = false;
  for (const std::string& line : before) {
    if (KeyOf(line) != key) {
      after.push_back(line);
      continue;
    }
    found = true;
    if (entry != nullptr) after.push_back(*entry);
  }
  if (!found && entry != nullptr) after.push_back(*entry);
  return after;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::string key = input.ConsumeRandomLengthString(64);
  std::string value = input.ConsumeRandomLengthString(256);
  uint8_t action = input.ConsumeIntegral<uint8_t>();
  std::string content = input.ConsumeRemainingBytesAsString();
  std::string path = WriteFuzzFile("job.ini", reinterpret_cast<const uint8_t*>(content.data()), content.size());
  String file = String::Copy(path);
  String name = String::Copy(key);

  Lines before = LinesOf(content);
  std::string expected = ValueIn(before, key);
  FuzzCheck(Same(ReadIni(file, name), expected));
  FuzzCheck(Same(ReadIniQuietly(file, name), expected));
  bool truth = expected == "1" || (expected.size() == 4 && (expected[0] | 0x20) == 't' && (expected[1] | 0x20) == 'r' &&
                                   (expected[2] | 0x20) == 'u' && (expected[3] | 0x20) == 'e');
  FuzzCheck(ReadIniBoolean(file, name) == truth);
  ReadIniInteger(file, name);
  ReadIniReal(file, name);
  FuzzCheck(ReadIniBytes(file, name).Length() == static_cast<int>((expected.size() + 1) / 2));

  // A key with '=' or a line end, or a value with a line end, cannot come back as
  // written; nor can a line longer than the reader's pieces.
  bool plainKey = key.find_first_of("=\r\n") == std::string::npos;
  bool shortLines = true;
  for (const std::string& line : before) shortLines = shortLines && line.size() < static_cast<size_t>(MaxLineLength);

  std::string written = value;
  switch (action % 6) {
    case 0: FuzzCheck(WriteIniQuietly(file, name, String::Copy(value))); break;
    case 1: WriteIni(file, name, String::Copy(value)); break;
    case 2: {
      int64_t number = static_cast<int64_t>(std::hash<std::string>{}(value));
      WriteIniInteger(file, name, number);
      if (plainKey) FuzzCheck(ReadIniInteger(file, name) == number);
      written = std::string(ReadIni(file, name).View());
      break;
    }
    case 3: {
      double number = 0;
      std::memcpy(&number, value.data(), std::min(value.size(), sizeof number));
      WriteIniReal(file, name, number);
      if (plainKey && std::isnormal(number)) {
        double back = ReadIniReal(file, name);
        FuzzCheck(std::fabs(back - number) <= std::fabs(number) * 1e-13);
      }
      written = std::string(ReadIni(file, name).View());
      break;
    }
    case 4:
      WriteIniBytes(file, name, String::Copy(value));
      if (plainKey) FuzzCheck(Same(ReadIniBytes(file, name), value));
      written = std::string(ReadIni(file, name).View());
      break;
    default: FuzzCheck(DeleteIniQuietly(file, name)); break;
  }
  bool plainValue = written.find_first_of("\r\n") == std::string::npos;
  if (!plainKey || !plainValue || !shortLines) return 0;
  bool removed = action % 6 == 5;
  std::string entry = key + "=" + written;
  if (entry.size() >= static_cast<size_t>(MaxLineLength)) return 0;
  FuzzCheck(LinesOf(FileContent(path)) == Changed(before, key, removed ? nullptr : &entry));
  FuzzCheck(Same(ReadIni(file, name), removed ? std::string() : written));
  return 0;
}
