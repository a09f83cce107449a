// libFuzzer target: ReadDataTable on any file, then every row through the four
// description templates, so that every key sees whatever a table can hold.
#include <cstdlib>

#include "fieldbus/data_table.h"
#include "runtime/fuzz/fuzz_support.h"
#include "fieldbus/template_engine.h"
#include "fieldbus/template_texts.h"
#include "fieldbus/text_escape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = WriteFuzzFile("table.csv", data, size);
  if (!ReadDataTable(String::Copy(path))) return 0;
  const std::pair<std::string_view, TextEscape> templates[] = {{EthIpEdsTemplate, TextEscape::EdsString},
                                                               {ProfinetGsdmlTemplate, TextEscape::Xml},
                                                               {ProfibusGsdTemplate, TextEscape::GsdString},
                                                               {CanopenEdsTemplate, TextEscape::None}};
  for (const auto& [text, escape] : templates) {
    CountingStream output;
    CurrentTextEscape = escape;
    // Our own templates are well formed whatever the table holds.
    if (!GenerateConfigurationFile(text, output)) std::abort();
  }
  CurrentTextEscape = TextEscape::None;
  return 0;
}
