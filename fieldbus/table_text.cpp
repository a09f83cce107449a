#include "fieldbus/table_text.h"

#include <cstdint>

namespace {

// Windows-1252 at 0x80 to 0x9F, where ISO-8859-1 has control characters; the five
// codes it leaves free keep their control character.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The length of the well-formed UTF-8 sequence at `at` (RFC 3629: no overlong forms,
// no surrogates, nothing beyond U+10FFFF), or 0.
size_t SequenceLength(std::string_view text, size_t at) {
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

bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t length = SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

}  // namespace

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

std::string DecodeTableLine(std::string_view bytes) {
  if (IsUtf8(bytes)) return std::string(bytes);
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char byte : bytes) {
    auto code = static_cast<uint8_t>(byte);
    AppendUtf8(text, code >= 0x80 && code < 0xA0 ? Windows1252High[code - 0x80] : code);
  }
  return text;
}

bool NextCodePoint(std::string_view utf8, size_t& at, char32_t& c) {
  if (at >= utf8.size()) return false;
  size_t length = SequenceLength(utf8, at);
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
