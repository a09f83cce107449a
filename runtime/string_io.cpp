#include "runtime/string_io.h"

#include <string>

bool ReadLine(BufferedFile* file, String& line) {
  std::string collected;
  bool ended = false;
  while (collected.size() < MaxLineLength) {
    uint8_t c = FileGetByte(file);
    if (FileEnd(file)) break;
    bool afterCarriageReturn = file->afterCarriageReturn;
    file->afterCarriageReturn = c == '\r';
    if (c == '\n' && afterCarriageReturn && collected.empty()) continue;
    if (c == '\r' || c == '\n') {
      ended = true;
      break;
    }
    collected += static_cast<char>(c);
  }
  line = String::Copy(collected);
  return ended || !collected.empty();
}
