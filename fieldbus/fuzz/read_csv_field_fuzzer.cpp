// libFuzzer target: ReadCsvField on any line. Every call must move forward, number
// the fields in order and end once the line is used up.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "generic/parse_fields.h"
#include "runtime/string_heap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (CreateStringHeap(), true);
  (void)started;
  String line = String::Copy(std::string_view(reinterpret_cast<const char*>(data), size));
  int16_t position = 0;
  int16_t column = 0;
  String field;
  int fields = 0;
  while (ReadCsvField(line, position, column, field)) {
    if (column != fields || field.Length() > line.Length()) std::abort();
    if (++fields > line.Length() + 1) std::abort();
  }
  if (position != line.Length() + 1) std::abort();
  return 0;
}
