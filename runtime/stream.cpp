#include "runtime/stream.h"

#include <bit>
#include <cstdlib>
#include <string>

AdapterStream::AdapterStream(void (*sinkProcedure)(uint8_t c))
    : Stream{[](Stream* stream, uint8_t c) { static_cast<AdapterStream*>(stream)->sink(c); }},
      sink(sinkProcedure) {}

StringStream::StringStream(String& text)
    : Stream{[](Stream* stream, uint8_t c) {
        static_cast<StringStream*>(stream)->target->Append(static_cast<char>(c));
      }},
      target(&text) {}

PointerStream::PointerStream(uint8_t* start, bool terminateText)
    : Stream{[](Stream* stream, uint8_t c) {
        auto* self = static_cast<PointerStream*>(stream);
        *self->at++ = c;
        if (self->terminate) *self->at = 0;
      }},
      at(start),
      terminate(terminateText) {}

StringReader::StringReader(const String& text)
    : InputRecord{[](InputRecord* record) -> uint8_t {
        auto* self = static_cast<StringReader*>(record);
        if (self->position >= self->source->Length()) return 0;
        return static_cast<uint8_t>((*self->source)[self->position++]);
      }},
      position(0),
      source(&text) {}

PointerReader::PointerReader(const uint8_t* start)
    : InputRecord{[](InputRecord* record) -> uint8_t {
        return *static_cast<PointerReader*>(record)->at++;
      }},
      at(start) {}

void PutText(Stream& stream, std::string_view text, int width, bool truncate) {
  int magnitude = width < 0 ? -width : width;
  if (truncate && width != 0 && text.size() > static_cast<size_t>(magnitude)) {
    text = text.substr(0, static_cast<size_t>(magnitude));
  }
  int fill = magnitude - static_cast<int>(text.size());
  if (width > 0) for (int i = 0; i < fill; ++i) PutChar(stream, ' ');
  for (char c : text) PutChar(stream, static_cast<uint8_t>(c));
  if (width < 0) for (int i = 0; i < fill; ++i) PutChar(stream, ' ');
}

void PutString(Stream& stream, const String& text, int width) { PutText(stream, text.View(), width); }

void PutInt(Stream& stream, int64_t value) {
  char digits[24];
  int count = 0;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) PutChar(stream, '-');
  while (count > 0) PutChar(stream, static_cast<uint8_t>(digits[--count]));
}

namespace {

void PutHexDigits(Stream& stream, uint64_t value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
    PutChar(stream, static_cast<uint8_t>("0123456789ABCDEF"[(value >> shift) & 0xF]));
  }
}

void PutBigEndian(Stream& stream, uint64_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
    PutChar(stream, static_cast<uint8_t>(value >> shift));
  }
}

uint64_t GetBigEndian(InputRecord& record, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | GetByte(record);
  return value;
}

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t'; }

}  // namespace

void PutHex2(Stream& stream, uint64_t value) { PutHexDigits(stream, value, 2); }
void PutHex4(Stream& stream, uint64_t value) { PutHexDigits(stream, value, 4); }
void PutHex8(Stream& stream, uint64_t value) { PutHexDigits(stream, value, 8); }
void PutByte(Stream& stream, uint8_t value) { PutChar(stream, value); }
void PutWord(Stream& stream, uint16_t value) { PutBigEndian(stream, value, 2); }
void PutLong(Stream& stream, uint32_t value) { PutBigEndian(stream, value, 4); }
void PutQuad(Stream& stream, uint64_t value) { PutBigEndian(stream, value, 8); }
void PutFloatBits(Stream& stream, float value) { PutLong(stream, std::bit_cast<uint32_t>(value)); }
void PutDoubleBits(Stream& stream, double value) { PutQuad(stream, std::bit_cast<uint64_t>(value)); }
void PutRaw(Stream& stream, std::string_view bytes) {
  for (char c : bytes) PutChar(stream, static_cast<uint8_t>(c));
}

void PutPiece(Stream& stream, Hex hex) {
  if (hex.digits == 2) {
    PutHex2(stream, hex.value);
  } else if (hex.digits == 4) {
    PutHex4(stream, hex.value);
  } else {
    PutHex8(stream, hex.value);
  }
}

uint16_t GetWord(InputRecord& record) { return static_cast<uint16_t>(GetBigEndian(record, 2)); }
uint32_t GetLong(InputRecord& record) { return static_cast<uint32_t>(GetBigEndian(record, 4)); }
uint64_t GetQuad(InputRecord& record) { return GetBigEndian(record, 8); }
float GetFloatBits(InputRecord& record) { return std::bit_cast<float>(GetLong(record)); }
double GetDoubleBits(InputRecord& record) { return std::bit_cast<double>(GetQuad(record)); }

int64_t ReadInt(InputRecord& record) {
  uint8_t c = GetByte(record);
  while (IsBlank(c)) c = GetByte(record);
  bool negative = c == '-';
  if (negative) c = GetByte(record);
  uint64_t value = 0;
  for (; c >= '0' && c <= '9'; c = GetByte(record)) value = value * 10 + (c - '0');
  return static_cast<int64_t>(negative ? 0 - value : value);
}

uint64_t ReadHex(InputRecord& record, int bytes) {
  uint8_t c = GetByte(record);
  while (IsBlank(c)) c = GetByte(record);
  if (c == '$') c = GetByte(record);
  uint64_t value = 0;
  int digits = 0;
  int maxDigits = 2 * bytes;
  if (c == '0') {
    c = GetByte(record);
    if (c == 'x' || c == 'X') {
      c = GetByte(record);
    } else {
      digits = 1;  // the lone "0" was a digit
    }
  }
  for (; digits < maxDigits; c = GetByte(record), ++digits) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    value = (value << 4) | static_cast<uint64_t>(digit);
  }
  return value;
}

double ReadReal(InputRecord& record) {
  // The digits are collected and converted in one step so that the value is the
  // correctly rounded double of the text.
  std::string text;
  uint8_t c = GetByte(record);
  while (IsBlank(c)) c = GetByte(record);
  if (c == '-') {
    text += '-';
    c = GetByte(record);
  }
  for (; c >= '0' && c <= '9'; c = GetByte(record)) text += static_cast<char>(c);
  if (c == '.') {
    text += '.';
    for (c = GetByte(record); c >= '0' && c <= '9'; c = GetByte(record)) text += static_cast<char>(c);
  }
  if (c == 'E' || c == 'e') {
    text += 'e';
    text += std::to_string(ReadInt(record));
  }
  return std::strtod(text.c_str(), nullptr);
}

int64_t ReadInt(const String& text) {
  StringReader reader(text);
  return ReadInt(reader);
}

double ReadReal(const String& text) {
  StringReader reader(text);
  return ReadReal(reader);
}
