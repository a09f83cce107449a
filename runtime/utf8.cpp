#include "runtime/utf8.h"

namespace {

char Lead(uint32_t marker, uint32_t bits) { return static_cast<char>(marker | bits); }
char Follow(uint32_t bits) { return static_cast<char>(0x80 | (bits & 0x3F)); }

}  // namespace

void AppendUtf8(std::string& text, uint32_t code) {
  if (code > 0x10FFFF) code = 0xFFFD;
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += Lead(0xC0, code >> 6);
    text += Follow(code);
  } else if (code < 0x10000) {
    text += Lead(0xE0, code >> 12);
    text += Follow(code >> 6);
    text += Follow(code);
  } else {
    text += Lead(0xF0, code >> 18);
    text += Follow(code >> 12);
    text += Follow(code >> 6);
    text += Follow(code);
  }
}

uint32_t NextCodePoint(std::string_view text, size_t& at) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  uint8_t lead = byte(at);
  int length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  if (length <= 1 || at + length > text.size()) {
    ++at;
    return lead;
  }
  uint32_t code = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      ++at;
      return lead;
    }
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  at += length;
  return code;
}
