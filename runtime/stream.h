// Streams: every byte the program writes or reads, from log text to packet
// bodies, goes through a record whose first member is its put (or get) procedure.
// The writers and readers here work on any of them.
#pragma once

#include <concepts>
#include <cstdint>
#include <string_view>

#include "runtime/string.h"

struct Stream {
  void (*put)(Stream* stream, uint8_t c);
};

// Calls a plain procedure for each byte (how the log streams are built).
struct AdapterStream : Stream {
  explicit AdapterStream(void (*sink)(uint8_t c));
  void (*sink)(uint8_t c);
};

// Appends each byte to a string variable.
struct StringStream : Stream {
  explicit StringStream(String& target);
  String* target;
};

// Stores each byte at a pointer and advances it; the text variant keeps a zero after it.
struct PointerStream : Stream {
  PointerStream(uint8_t* at, bool terminate);
  uint8_t* at;
  bool terminate;
};

struct InputRecord {
  uint8_t (*get)(InputRecord* record);
};

// Reads the characters of a string; 0 at the end.
struct StringReader : InputRecord {
  explicit StringReader(const String& source);
  int16_t position;
  const String* source;
};

// Reads from memory; the caller keeps it within the buffer.
struct PointerReader : InputRecord {
  explicit PointerReader(const uint8_t* at);
  const uint8_t* at;
};

inline void PutChar(Stream& stream, uint8_t c) { stream.put(&stream, c); }
// width > 0 right-aligns in width, width < 0 left-aligns in -width; truncate cuts to |width|.
void PutText(Stream& stream, std::string_view text, int width = 0, bool truncate = false);
void PutString(Stream& stream, const String& text, int width = 0);
void PutInt(Stream& stream, int64_t value);
void PutHex2(Stream& stream, uint64_t value);
void PutHex4(Stream& stream, uint64_t value);
void PutHex8(Stream& stream, uint64_t value);
void PutByte(Stream& stream, uint8_t value);
void PutWord(Stream& stream, uint16_t value);
void PutLong(Stream& stream, uint32_t value);
void PutQuad(Stream& stream, uint64_t value);
void PutFloatBits(Stream& stream, float value);
void PutDoubleBits(Stream& stream, double value);
// Every byte, zero bytes included.
void PutRaw(Stream& stream, std::string_view bytes);

// A hexadecimal field of 2, 4 or 8 digits, for PutLine: Hex{address, 8}.
struct Hex {
  template <std::integral Integer>
  constexpr Hex(Integer value, int digits) : value(static_cast<uint64_t>(value)), digits(digits) {}
  uint64_t value;
  int digits;
};

// The pieces a line is written from: texts, Strings, integers (never characters:
// PutChar writes those) and Hex fields.
inline void PutPiece(Stream& stream, const char* text) { PutText(stream, text); }
inline void PutPiece(Stream& stream, std::string_view text) { PutText(stream, text); }
inline void PutPiece(Stream& stream, const String& text) { PutString(stream, text); }
void PutPiece(Stream& stream, Hex hex);
template <std::integral Integer>
  requires(!std::same_as<Integer, char> && !std::same_as<Integer, bool>)
void PutPiece(Stream& stream, Integer value) {
  PutInt(stream, static_cast<int64_t>(value));
}

// Pieces of a line in one call, for a line that goes on in another stream.
template <typename... Pieces>
void PutPieces(Stream& stream, const Pieces&... pieces) {
  (PutPiece(stream, pieces), ...);
}

// A log or trace line in one call: the pieces, then "\r\n".
// PutLine(DetailStream, "[DISCARD (", size, ") ", PacketHexDump(buffer, size), "]");
template <typename... Pieces>
void PutLine(Stream& stream, const Pieces&... pieces) {
  PutPieces(stream, pieces...);
  PutText(stream, "\r\n");
}

// A text from its pieces in one call: TextOf("Card", card).
template <typename... Pieces>
String TextOf(const Pieces&... pieces) {
  String text;
  StringStream out(text);
  PutPieces(out, pieces...);
  return text;
}

inline uint8_t GetByte(InputRecord& record) { return record.get(&record); }
uint16_t GetWord(InputRecord& record);
uint32_t GetLong(InputRecord& record);
uint64_t GetQuad(InputRecord& record);
float GetFloatBits(InputRecord& record);
double GetDoubleBits(InputRecord& record);
// Skips spaces and tabs, an optional '-', digits; the first non-digit is consumed.
int64_t ReadInt(InputRecord& record);
// Skips spaces and tabs, an optional '$' and "0x", then at most 2 × bytes hex digits.
uint64_t ReadHex(InputRecord& record, int bytes);
// Skips spaces and tabs, '-', digits, '.' digits, 'E' exponent; the ending character is consumed.
double ReadReal(InputRecord& record);

// The same readers on a text.
int64_t ReadInt(const String& text);
double ReadReal(const String& text);
