// libFuzzer target: the command line. Any text is split into items within the
// program's limits; items built into one text come back the same when split; and the
// options of items that hold only 'd' letters are read, with the port and job file
// items the program's check lets through.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/command_line.h"
#include "runtime/fuzz/fuzz_support.h"
#include "runtime/program_state.h"

namespace {

bool OnlyDebugLetters(const std::string& item) {
  if (item.empty() || (item[0] != '-' && item[0] != '+' && item[0] != '/')) return true;
  if (item[0] == '/' && item.find_first_of("/.", 1) != std::string::npos) return true;  // a path
  for (size_t i = 1; i < item.size(); ++i) {
    if (item[i] != 'd' && item[i] != 'D') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolder();
  std::string text(reinterpret_cast<const char*>(data), size);
  SplitCommandLine(std::string(text.c_str()).c_str());
  if (ArgCount < 0 || ArgCount > MaxArguments) std::abort();
  for (int i = 0; i < ArgCount; ++i) {
    if (ArgList[i] == nullptr || std::strlen(ArgList[i]) >= CommandLineSize) std::abort();
  }

  // Items without quotes or line ends, one a line of the input.
  std::vector<std::string> items;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    items.push_back(text.substr(start, end - start));
  }
  for (const std::string& item : items) {
    if (item.find_first_of(std::string("\"\0\r", 3)) != std::string::npos) return 0;
  }
  if (items.empty() || items.size() >= MaxArguments) return 0;
  std::vector<const char*> argv;
  for (const std::string& item : items) argv.push_back(item.c_str());
  std::string line = BuildCommandLine(argv[0], static_cast<int>(argv.size()), argv.data());
  if (line.size() >= CommandLineSize) return 0;
  SplitCommandLine(line.c_str());
  // Spaces before an unquoted item are taken for separators: only items without
  // leading spaces need come back exactly.
  bool plain = true;
  for (const std::string& item : items) plain = plain && (item.empty() || item[0] != ' ');
  if (plain) {
    if (ArgCount != static_cast<int>(items.size())) std::abort();
    for (int i = 0; i < ArgCount; ++i) {
      if (items[static_cast<size_t>(i)] != ArgList[i]) std::abort();
    }
  }
  for (int i = 1; i < ArgCount; ++i) {
    if (!OnlyDebugLetters(ArgList[i])) return 0;
  }
  // As the program does: the items that name no port, or a job file not to be
  // written, end it before ReadOptions.
  if (std::string error; CheckPortAndJobFile(error) != ItemsFault::None) return 0;
  ReadOptions();
  return 0;
}
