#include "generic/aarray_text.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "runtime/console_streams.h"
#include "runtime/number_format.h"
#include "runtime/stream.h"

namespace {

void PutEscaped(Stream& out, std::string_view text) {
  for (char character : text) {
    auto c = static_cast<uint8_t>(character);
    switch (c) {
      case '\r': PutText(out, "\\r"); break;
      case '\n': PutText(out, "\\n"); break;
      case '\t': PutText(out, "\\t"); break;
      case ',': PutText(out, "\\c"); break;
      case '\\': PutText(out, "\\\\"); break;
      default:
        if (c < 0x20 || c >= 0x80) {
          PutChar(out, '\\');
          PutHex2(out, c);
        } else {
          PutChar(out, c);
        }
    }
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads a field's text up to the next unescaped comma or the end; the comma stays.
// "\c" is the comma, not the hex digit c: the writer writes its hex digits upper-case.
std::string Unescape(const String& text, int16_t& position) {
  std::string value;
  std::string_view all = text.View();
  auto at = [&](int index) { return all[static_cast<size_t>(index)]; };
  int length = static_cast<int>(all.size());
  while (position < length && at(position) != ',') {
    char c = at(position++);
    if (c != '\\') {
      value += c;
      continue;
    }
    if (position >= length) break;
    char escaped = at(position++);
    switch (escaped) {
      case 'r': value += '\r'; break;
      case 'n': value += '\n'; break;
      case 't': value += '\t'; break;
      case 'c': value += ','; break;
      default: {
        int digit = HexDigit(escaped);
        if (digit < 0) {
          value += escaped;
          break;
        }
        int code = digit;
        if (position < length && at(position) != 'c' && HexDigit(at(position)) >= 0) {
          code = code * 16 + HexDigit(at(position++));
        }
        value += static_cast<char>(code);
      }
    }
  }
  return value;
}

std::string HexPairs(const String& text, int16_t& position) {
  std::string bytes;
  std::string_view all = text.View();
  while (position + 1 < static_cast<int>(all.size())) {
    int high = HexDigit(all[static_cast<size_t>(position)]);
    int low = HexDigit(all[static_cast<size_t>(position + 1)]);
    if (high < 0 || low < 0) break;
    bytes += static_cast<char>(high * 16 + low);
    position = static_cast<int16_t>(position + 2);
  }
  return bytes;
}

void Complain(std::string_view what) {
  PutText(StandardError, "\r !!! ");
  PutText(StandardError, what);
}

// One field's value by its letter; false for a letter that names no type.
bool ReadValue(AArray& array, uint8_t key, char letter, const String& text, StringReader& reader) {
  switch (letter) {
    case 'T':
      SetBoolAA(array, key, true);
      if (reader.position < text.Length()) ++reader.position;
      return true;
    case 'c': {
      std::string value = Unescape(text, reader.position);
      SetUIntAA(array, key, value.empty() ? 0 : static_cast<uint8_t>(value[0]));
      return true;
    }
    case 'x': SetUIntAA(array, key, static_cast<uint32_t>(ReadHex(reader, 4))); return true;
    case 'i': {
      int64_t value = ReadInt(reader);
      SetIntAA(array, key, static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)));
      return true;
    }
    case 'r': SetFloatAA(array, key, static_cast<float>(ReadReal(reader))); return true;
    case 'R': SetRealAA(array, key, ReadReal(reader)); return true;
    case 's': SetTextAA(array, key, Unescape(text, reader.position)); return true;
    case 'b': SetBytesAA(array, key, HexPairs(text, reader.position)); return true;
    default: return false;
  }
}

}  // namespace

String AAToText(const AArray& array) {
  String text;
  StringStream out(text);
  AAEntry entry;
  while (NextAAEntry(array, entry)) {
    PutInt(out, entry.key);
    std::string_view value = AAValue(array, entry);
    switch (entry.type) {
      case AATrue: PutChar(out, 'T'); break;
      case AAChar:
        PutChar(out, 'c');
        PutEscaped(out, value.substr(0, 1));
        break;
      case AAUInt8:
      case AAUInt16:
      case AAUInt32:
        PutChar(out, 'x');
        PutString(out, GetTextAA(array, static_cast<uint8_t>(entry.key)));
        break;
      case AAInt8:
      case AAInt16:
      case AAInt32:
        PutChar(out, 'i');
        PutString(out, GetTextAA(array, static_cast<uint8_t>(entry.key)));
        break;
      case AAFloat:
      case AAReal:
        PutChar(out, entry.type == AAFloat ? 'r' : 'R');
        PutString(out, GetTextAA(array, static_cast<uint8_t>(entry.key)));
        break;
      case AAShortText:
      case AALongText:
        PutChar(out, 's');
        PutEscaped(out, value);
        break;
      case AAShortBytes:
      case AALongBytes:
        PutChar(out, 'b');
        for (char c : value) PutHex2(out, static_cast<uint8_t>(c));
        break;
      default: break;
    }
    PutChar(out, ',');
  }
  return text;
}

AArray TextToAA(const String& text) {
  AArray array;
  StringReader reader(text);
  int length = text.Length();
  while (reader.position < length) {
    int64_t key = ReadInt(reader);
    // The character after the digits, which ReadInt took, is the type letter; a digit
    // there means the text ended with the number.
    char before = reader.position > 0 ? text[reader.position - 1] : '\0';
    char letter = before >= '0' && before <= '9' ? '\0' : before;
    if (key < 0 || key > 255 || !ReadValue(array, static_cast<uint8_t>(key), letter, text, reader)) {
      Complain("invalid field");
    }
    if (reader.position < length && text[reader.position] == ',') {
      ++reader.position;
    } else if (reader.position == 0 || reader.position > length || text[reader.position - 1] != ',') {
      Complain("invalid field terminator");
      while (reader.position < length && text[reader.position] != ',') ++reader.position;
      if (reader.position < length) ++reader.position;
    }
  }
  return array;
}
