#include "runtime/string_io.h"

#include <string>

bool ReadLine(BufferedFile* file, String& line) {
  std::string collected;
  while (collected.size() < MaxLineLength) {
    uint8_t c = FileGetByte(file);
    if (FileEnd(file)) break;
    if (c == '\r') {
      line = String::Copy(collected);
      return true;
    }
    if (c != '\n') collected += static_cast<char>(c);
  }
  line = String::Copy(collected);
  return !collected.empty();
}
