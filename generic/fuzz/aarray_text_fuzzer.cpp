// libFuzzer target: TextToAA on any text. Whatever it reads must be a sound array,
// and the array's own text must read back as the same array (reals aside, whose
// text is rounded).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "generic/aarray.h"
#include "generic/aarray_text.h"
#include "runtime/console_streams.h"
#include "runtime/string_heap.h"

namespace {

bool HoldsReals(const AArray& array) {
  AAEntry entry;
  while (NextAAEntry(array, entry)) {
    if (entry.type == AAFloat || entry.type == AAReal) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (CreateStringHeap(), InstallConsoleSink([](uint8_t) {}), true);
  (void)started;
  if (size > 32000) return 0;  // a String holds at most 32766 characters
  String text = String::Copy(std::string_view(reinterpret_cast<const char*>(data), size));
  AArray array = TextToAA(text);
  if (!CheckAA(array)) std::abort();
  if (!HoldsReals(array) && TextToAA(AAToText(array)).View() != array.View()) std::abort();
  return 0;
}
