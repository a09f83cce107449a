// libFuzzer target: any file as a data table, through the whole generation. Either
// the table is refused with a reason that names its line and no description file
// is written, or all four are written, pass the checks of their formats that the
// tests make, and say what was read.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fieldbus/description_checks_test_support.h"
#include "fieldbus/generate_fieldbus_files.h"
#include "fieldbus/table_refusal.h"
#include "runtime/fuzz/fuzz_support.h"

namespace {

std::string Output(const std::string& folder, const char* suffix) { return folder + "/table" + suffix; }

// The file's bytes; empty when there is none.
std::string ReadWhole(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = WriteFuzzFile("table.csv", data, size);
  const std::string& folder = FuzzFolder();
  for (const char* suffix : DescriptionSuffixes) std::remove(Output(folder, suffix).c_str());
  std::remove((folder + "/" + GsdmlFileName).c_str());

  if (!GenerateFieldbusFiles(String::Copy(path))) {
    if (!LastFieldbusRefusal().View().starts_with("line ")) std::abort();
    for (const char* suffix : DescriptionSuffixes) {
      if (std::ifstream(Output(folder, suffix)).is_open()) std::abort();
    }
    return 0;
  }
  std::vector<std::string> texts;
  for (const char* suffix : DescriptionSuffixes) texts.push_back(ReadWhole(Output(folder, suffix)));
  DescriptionFiles files;
  std::string error;
  if (!ParseDescriptionFiles(texts, files, error) || !CheckRows(files, FactsOfTheTableRead(), error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::abort();
  }
  return 0;
}
