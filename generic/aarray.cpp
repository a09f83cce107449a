#include "generic/aarray.h"

#include <bit>
#include <cmath>
#include <limits>
#include <string>

#include "runtime/console_streams.h"
#include "runtime/number_format.h"
#include "runtime/stream.h"

namespace {

// The value length a type must have, or -1 for the types of any length.
constexpr int FixedLength[16] = {0, 0, 1, 1, 2, 4, 1, 2, 4, 4, 8, -1, -1, -1, -1, -1};

bool IsSigned(AAType type) { return type >= AAInt8 && type <= AAInt32; }
bool IsBytes(AAType type) { return type == AAShortBytes || type == AALongBytes; }
bool IsText(AAType type) { return type == AAShortText || type == AALongText; }

// Where a key's entry is, or where a new one goes to keep the keys ascending.
struct Place {
  int offset = 0;
  int size = 0;  // of the entry there, 0 when the key has none
  bool found = false;
  AAEntry entry;
};

Place Find(const AArray& array, uint8_t key) {
  Place place;
  AAEntry entry;
  while (NextAAEntry(array, entry)) {
    if (entry.key >= key) {
      place.offset = entry.offset;
      place.found = entry.key == key;
      if (place.found) place.size = entry.headerLength + entry.length;
      place.entry = entry;
      return place;
    }
  }
  // The end of the entries; in a damaged array, the end of its sound part.
  place.offset = entry.offset;
  return place;
}

bool Remove(AArray& array, uint8_t key) {
  Place place = Find(array, key);
  if (!place.found) return false;
  array.Delete(place.offset, place.size);
  return true;
}

bool Store(AArray& array, uint8_t key, AAType type, std::string_view value) {
  if (value.size() > AAMaxValueLength) return false;
  Place place = Find(array, key);
  if (place.found && place.entry.type == type && AAValue(array, place.entry) == value) return false;
  int length = static_cast<int>(value.size());
  std::string entry;
  entry += static_cast<char>(key);
  if (type >= AALongText) {
    entry += static_cast<char>(type << 4 | length >> 8);
    entry += static_cast<char>(length & 0xFF);
  } else {
    entry += static_cast<char>(type << 4 | length);
  }
  entry += value;
  array.Splice(place.offset, place.size, entry);
  return true;
}

std::string BigEndian(uint64_t value, int bytes) {
  std::string text(static_cast<size_t>(bytes), '\0');
  for (int i = bytes - 1; i >= 0; --i, value >>= 8) text[static_cast<size_t>(i)] = static_cast<char>(value & 0xFF);
  return text;
}

uint64_t FromBigEndian(std::string_view bytes) {
  uint64_t value = 0;
  for (char c : bytes.substr(0, 8)) value = value << 8 | static_cast<uint8_t>(c);
  return value;
}

int64_t SignExtended(std::string_view bytes) {
  size_t count = std::min<size_t>(bytes.size(), 8);
  if (count == 0) return 0;
  uint64_t value = FromBigEndian(bytes);
  if (count < 8 && (value >> (8 * count - 1) & 1) != 0) value |= ~uint64_t{0} << (8 * count);
  return static_cast<int64_t>(value);
}

// A real truncated toward zero, held at the ends of the range rather than undefined
// beyond them.
int64_t Truncated(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 0x1p63) return std::numeric_limits<int64_t>::max();
  if (value < -0x1p63) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

double RealOf(AAType type, std::string_view value) {
  if (type == AAFloat && value.size() == 4) return std::bit_cast<float>(static_cast<uint32_t>(FromBigEndian(value)));
  if (type == AAReal && value.size() == 8) return std::bit_cast<double>(FromBigEndian(value));
  return 0;
}

void CannotReadBytes() { PutText(StandardError, "\r !!! GetLargeIntAA: Cannot read bytes as largeint"); }

bool FindEntry(const AArray& array, uint8_t key, AAEntry& entry) {
  while (NextAAEntry(array, entry)) {
    if (entry.key == key) return true;
    if (entry.key > key) return false;
  }
  return false;
}

}  // namespace

bool NextAAEntry(const AArray& array, AAEntry& entry) {
  int at = entry.started ? entry.offset + entry.headerLength + entry.length : 0;
  entry = AAEntry{.offset = at, .started = true};
  std::string_view bytes = array.View();
  int size = static_cast<int>(bytes.size());
  if (at + 2 > size) return false;
  auto byte = [&](int index) { return static_cast<uint8_t>(bytes[static_cast<size_t>(index)]); };
  AAType type = static_cast<AAType>(byte(at + 1) >> 4);
  int length = byte(at + 1) & 0x0F;
  int header = 2;
  if (type >= AALongText) {
    if (at + 3 > size) return false;
    length = length << 8 | byte(at + 2);
    header = 3;
  }
  if (at + header + length > size) return false;
  entry.key = byte(at);
  entry.type = type;
  entry.length = length;
  entry.headerLength = header;
  return true;
}

std::string_view AAValue(const AArray& array, const AAEntry& entry) {
  return array.View().substr(static_cast<size_t>(entry.offset + entry.headerLength),
                             static_cast<size_t>(entry.length));
}

bool SetBoolAA(AArray& array, uint8_t key, bool value, AAForm form) {
  if (!value && form == AAForm::Sparse) return Remove(array, key);
  return Store(array, key, AATrue, {});
}

bool SetUIntAA(AArray& array, uint8_t key, uint32_t value, AAForm form) {
  if (value == 0 && form == AAForm::Sparse) return Remove(array, key);
  if (value <= 0xFF) return Store(array, key, AAUInt8, BigEndian(value, 1));
  if (value <= 0xFFFF) return Store(array, key, AAUInt16, BigEndian(value, 2));
  return Store(array, key, AAUInt32, BigEndian(value, 4));
}

bool SetIntAA(AArray& array, uint8_t key, int32_t value, AAForm form) {
  if (value == 0 && form == AAForm::Sparse) return Remove(array, key);
  uint64_t bits = static_cast<uint64_t>(static_cast<int64_t>(value));
  if (value >= -128 && value <= 127) return Store(array, key, AAInt8, BigEndian(bits, 1));
  if (value >= -32768 && value <= 32767) return Store(array, key, AAInt16, BigEndian(bits, 2));
  return Store(array, key, AAInt32, BigEndian(bits, 4));
}

bool SetFloatAA(AArray& array, uint8_t key, float value, AAForm form) {
  if (value == 0 && form == AAForm::Sparse) return Remove(array, key);
  return Store(array, key, AAFloat, BigEndian(std::bit_cast<uint32_t>(value), 4));
}

bool SetRealAA(AArray& array, uint8_t key, double value, AAForm form) {
  if (value == 0 && form == AAForm::Sparse) return Remove(array, key);
  return Store(array, key, AAReal, BigEndian(std::bit_cast<uint64_t>(value), 8));
}

bool SetTextAA(AArray& array, uint8_t key, std::string_view text, AAForm form) {
  if (text.empty() && form == AAForm::Sparse) return Remove(array, key);
  return Store(array, key, text.size() <= 15 ? AAShortText : AALongText, text);
}

bool SetBytesAA(AArray& array, uint8_t key, std::string_view bytes, AAForm form) {
  if (bytes.empty() && form == AAForm::Sparse) return Remove(array, key);
  return Store(array, key, bytes.size() <= 15 ? AAShortBytes : AALongBytes, bytes);
}

bool DeleteAA(AArray& array, uint8_t key) { return Remove(array, key); }

bool CopyEntryAA(AArray& target, uint8_t key, const AArray& source, bool onlyIfAbsent) {
  if (onlyIfAbsent && HasAA(target, key)) return false;
  AAEntry entry;
  if (!FindEntry(source, key, entry)) return !onlyIfAbsent && Remove(target, key);
  return Store(target, key, entry.type, AAValue(source, entry));
}

int64_t GetLargeIntAA(const AArray& array, uint8_t key) {
  AAEntry entry;
  if (!FindEntry(array, key, entry)) return 0;
  std::string_view value = AAValue(array, entry);
  switch (entry.type) {
    case AATrue: return 1;
    case AAChar: return value.empty() ? 0 : static_cast<uint8_t>(value[0]);
    case AAUInt8:
    case AAUInt16:
    case AAUInt32: return static_cast<int64_t>(FromBigEndian(value));
    case AAInt8:
    case AAInt16:
    case AAInt32: return SignExtended(value);
    case AAFloat:
    case AAReal: return Truncated(RealOf(entry.type, value));
    case AAShortText:
    case AALongText: return ReadInt(String::Copy(value));
    case AAShortBytes:
    case AALongBytes: CannotReadBytes(); return 0;
    default: return 0;
  }
}

int32_t GetIntAA(const AArray& array, uint8_t key) {
  AAEntry entry;
  if (FindEntry(array, key, entry) && (entry.type == AAFloat || entry.type == AAReal)) {
    double value = RealOf(entry.type, AAValue(array, entry));
    if (std::isnan(value)) return 0;
    if (value >= 0x1p31) return std::numeric_limits<int32_t>::max();
    if (value < -0x1p31) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
  }
  return static_cast<int32_t>(GetLargeIntAA(array, key));
}

double GetRealAA(const AArray& array, uint8_t key) {
  AAEntry entry;
  if (!FindEntry(array, key, entry)) return 0;
  std::string_view value = AAValue(array, entry);
  if (entry.type == AAFloat || entry.type == AAReal) return RealOf(entry.type, value);
  if (IsText(entry.type)) return ReadReal(String::Copy(value));
  if (entry.type >= AAUInt8 && entry.type <= AAUInt32) return static_cast<double>(FromBigEndian(value));
  return static_cast<double>(GetLargeIntAA(array, key));
}

float GetFloatAA(const AArray& array, uint8_t key) { return static_cast<float>(GetRealAA(array, key)); }

String GetTextAA(const AArray& array, uint8_t key) {
  AAEntry entry;
  if (!FindEntry(array, key, entry)) return String();
  std::string_view value = AAValue(array, entry);
  String text;
  StringStream out(text);
  switch (entry.type) {
    case AATrue: PutChar(out, '1'); break;
    case AAChar:
      if (!value.empty()) PutChar(out, static_cast<uint8_t>(value[0]));
      break;
    case AAUInt8: PutHex2(out, FromBigEndian(value)); break;
    case AAUInt16: PutHex4(out, FromBigEndian(value)); break;
    case AAUInt32: PutHex8(out, FromBigEndian(value)); break;
    case AAFloat: PutReal(out, RealOf(entry.type, value), 7); break;
    case AAReal: PutReal(out, RealOf(entry.type, value), 15); break;
    default:
      if (IsSigned(entry.type)) PutInt(out, SignExtended(value));
      else if (IsText(entry.type) || IsBytes(entry.type)) PutRaw(out, value);
      break;
  }
  return text;
}

bool HasAA(const AArray& array, uint8_t key) {
  AAEntry entry;
  return FindEntry(array, key, entry);
}

bool CheckAA(const AArray& array) {
  AAEntry entry;
  int lastKey = -1;
  bool sound = true;
  while (NextAAEntry(array, entry)) {
    int fixed = FixedLength[entry.type];
    if (entry.key <= lastKey || (fixed >= 0 && entry.length != fixed)) {
      sound = false;
      break;
    }
    lastKey = entry.key;
  }
  if (sound && entry.offset != array.Length()) sound = false;
  if (!sound) PutText(StandardError, "\r !!! corrupt AA");
  return sound;
}
