#include "fieldbus/table_text.h"

#include <cstdint>

#include "runtime/utf8.h"


void AppendUtf8(std::string& text, char32_t c) {
  auto put = [&](uint32_t byte) { text += static_cast<char>(byte); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

std::string DecodeTableLine(std::string_view bytes) { return DecodeWindowsText(bytes); }

bool NextCodePoint(std::string_view utf8, size_t& at, char32_t& c) {
  if (at >= utf8.size()) return false;
  size_t length = Utf8SequenceLength(utf8, at);
  auto byte = [&](size_t i) { return static_cast<char32_t>(static_cast<uint8_t>(utf8[at + i])); };
  switch (length) {
    case 1: c = byte(0); break;
    case 2: c = ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F); break;
    case 3: c = ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F); break;
    case 4:
      c = ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
      break;
    default:
      // Not from DecodeTableLine: the stray byte stands for the replacement character.
      c = 0xFFFD;
      length = 1;
  }
  at += length;
  return true;
}
