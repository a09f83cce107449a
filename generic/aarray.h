// Associative arrays: a small keyed record packed into one byte string, the form in
// which the tool and the units exchange sets of optional parameters (a file's
// properties, for one). The packed bytes are what goes on the wire:
//
//   key (1 byte), type << 4 | length (1 byte), [length low byte, types 14 and 15],
//   value (length bytes, numbers most significant byte first)
//
// entries in strictly ascending key order, nothing before, between or after them.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/string.h"

using AArray = String;

enum AAType : uint8_t {
  AANone = 0,  // only ever used to remove
  AATrue = 1,
  AAChar = 2,
  AAUInt8 = 3,
  AAUInt16 = 4,
  AAUInt32 = 5,
  AAInt8 = 6,
  AAInt16 = 7,
  AAInt32 = 8,
  AAFloat = 9,
  AAReal = 10,
  AAUnused = 11,
  AAShortText = 12,
  AAShortBytes = 13,
  AALongText = 14,
  AALongBytes = 15,
};

inline constexpr int AAMaxValueLength = 4095;

// One entry met while walking an array.
struct AAEntry {
  int key = -1;
  int offset = 0;  // of the entry's header in the string
  AAType type = AANone;
  int length = 0;  // of the value
  int headerLength = 0;
  bool started = false;
};

// Steps `entry` to the next entry (the first when not started); false at the end, or
// where the next header or value would run past the end of the string.
bool NextAAEntry(const AArray& array, AAEntry& entry);
// The value bytes of an entry found by NextAAEntry.
std::string_view AAValue(const AArray& array, const AAEntry& entry);

// The sparse form of a setter removes the entry when the value is its type's empty
// value (0, false, 0.0, empty text or bytes); the keeping form stores it anyway.
enum class AAForm { Sparse, Keep };

// Each setter returns whether the array changed. The keeping form of the boolean
// always stores true. Numbers take the narrowest type of their signedness.
bool SetBoolAA(AArray& array, uint8_t key, bool value, AAForm form = AAForm::Sparse);
bool SetUIntAA(AArray& array, uint8_t key, uint32_t value, AAForm form = AAForm::Sparse);
bool SetIntAA(AArray& array, uint8_t key, int32_t value, AAForm form = AAForm::Sparse);
bool SetFloatAA(AArray& array, uint8_t key, float value, AAForm form = AAForm::Sparse);
bool SetRealAA(AArray& array, uint8_t key, double value, AAForm form = AAForm::Sparse);
// Longer than AAMaxValueLength cannot be stored: false, the array unchanged.
bool SetTextAA(AArray& array, uint8_t key, std::string_view text, AAForm form = AAForm::Sparse);
bool SetBytesAA(AArray& array, uint8_t key, std::string_view bytes, AAForm form = AAForm::Sparse);
bool DeleteAA(AArray& array, uint8_t key);
// The source's entry of `key` (type and bytes) into the target. With onlyIfAbsent an
// existing target entry stays; a key the source lacks is removed from the target
// unless onlyIfAbsent.
bool CopyEntryAA(AArray& target, uint8_t key, const AArray& source, bool onlyIfAbsent);

// A missing key reads as 0, 0.0 or empty. Numbers read from text are decimal; bytes
// cannot be read as a number (a line on the standard-error stream, and 0).
int32_t GetIntAA(const AArray& array, uint8_t key);
// Any entry a unit may send: up to 8 value bytes, sign-extended for the signed types.
int64_t GetLargeIntAA(const AArray& array, uint8_t key);
double GetRealAA(const AArray& array, uint8_t key);
float GetFloatAA(const AArray& array, uint8_t key);
// Unsigned numbers as upper-case hexadecimal of 2, 4 or 8 digits, signed ones in
// decimal, reals in their general form, text and bytes as they are.
String GetTextAA(const AArray& array, uint8_t key);
bool HasAA(const AArray& array, uint8_t key);
// Keys ascending, fixed-length types at their length, entries ending exactly at the
// end; otherwise "\r !!! corrupt AA" on the standard-error stream and false.
bool CheckAA(const AArray& array);
