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

size_t Utf8SequenceLength(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  auto continuation = [&](size_t i, uint8_t low = 0x80, uint8_t high = 0xBF) {
    return i < text.size() && byte(i) >= low && byte(i) <= high;
  };
  uint8_t lead = byte(at);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(at + 1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    uint8_t low = lead == 0xE0 ? 0xA0 : 0x80;
    uint8_t high = lead == 0xED ? 0x9F : 0xBF;
    return continuation(at + 1, low, high) && continuation(at + 2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    uint8_t low = lead == 0xF0 ? 0x90 : 0x80;
    uint8_t high = lead == 0xF4 ? 0x8F : 0xBF;
    return continuation(at + 1, low, high) && continuation(at + 2) && continuation(at + 3) ? 4 : 0;
  }
  return 0;
}

namespace {

// Windows-1252 at 0x80 to 0x9F, where ISO-8859-1 has control characters; the five
// codes it leaves free keep their control character.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t length = Utf8SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

}  // namespace

std::string DecodeWindowsText(std::string_view bytes) {
  if (IsUtf8(bytes)) return std::string(bytes);
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char byte : bytes) {
    auto code = static_cast<uint8_t>(byte);
    AppendUtf8(text, code >= 0x80 && code < 0xA0 ? Windows1252High[code - 0x80] : code);
  }
  return text;
}
