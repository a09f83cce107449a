// libFuzzer target: the readers of an associative array in its stored form, as a
// unit sends one among a file's properties. However the bytes are garbled, the walk
// stays within them, every reader answers for every key, and the text form and a
// copied entry can be made; an array the check passes reads back from its text as an
// array the check passes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "generic/aarray.h"
#include "generic/aarray_text.h"
#include "runtime/console_streams.h"
#include "runtime/string_heap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (CreateStringHeap(), InstallConsoleSink([](uint8_t) {}), true);
  (void)started;
  if (size > 32000) return 0;  // a String holds at most 32766 characters
  AArray array = String::Copy(std::string_view(reinterpret_cast<const char*>(data), size));
  AAEntry entry;
  int entries = 0;
  // The keys the walk meets, and 1 (a file's CRC) besides: a reader of any other key
  // walks the same way and finds nothing.
  bool seen[256] = {};
  seen[1] = true;
  while (NextAAEntry(array, entry)) {
    if (entry.offset < 0 || entry.length < 0 ||
        static_cast<size_t>(entry.offset + entry.headerLength + entry.length) > size) {
      std::abort();
    }
    if (AAValue(array, entry).size() != static_cast<size_t>(entry.length)) std::abort();
    if (++entries > static_cast<int>(size)) std::abort();  // every entry takes at least 2 bytes
    if (entry.key >= 0 && entry.key < 256) seen[entry.key] = true;
  }
  bool sound = CheckAA(array);
  for (int key = 0; key < 256; ++key) {
    if (!seen[key]) continue;
    uint8_t k = static_cast<uint8_t>(key);
    GetIntAA(array, k);
    GetLargeIntAA(array, k);
    GetRealAA(array, k);
    GetFloatAA(array, k);
    GetTextAA(array, k);
    AArray copy;
    CopyEntryAA(copy, k, array, false);
    if (HasAA(array, k) && sound && !CheckAA(copy)) std::abort();
  }
  String text = AAToText(array);
  if (sound && !CheckAA(TextToAA(text))) std::abort();
  return 0;
}
