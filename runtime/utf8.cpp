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
