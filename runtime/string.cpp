#include "runtime/string.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "runtime/check.h"

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

char* BlockOf(StringWord handle) { return reinterpret_cast<char*>(EntryOf(handle).data); }

int HeapLength(StringWord handle) { return EntryOf(handle).length - 1; }

StringWord NewCopy(const char* bytes, int count) {
  StringWord handle = NewHandle(count);
  if (count > 0) std::memcpy(BlockOf(handle), bytes, static_cast<size_t>(count));
  return handle;
}

// Drops one reference; the last one frees the block.
void ReleaseWord(StringWord word) {
  if (!IsHandle(word)) return;
  StringEntry& entry = EntryOf(word);
  if (entry.references == 0) {
    RunTimeError(SourcePosition.module, SourcePosition.line,
                 "string heap: attempt to free unused block");
  }
  if (--entry.references == 0) FreeHandle(word);
}

// The word another variable may hold: a new reference, or a heap copy of constant
// text. A block whose count is at its maximum is copied rather than shared, so any
// number of copies can exist.
StringWord ShareWord(StringWord word) {
  if (word == 0) return 0;
  if (!IsHandle(word)) {
    const char* text = reinterpret_cast<const char*>(word);
    return NewCopy(text, static_cast<int>(std::min(std::strlen(text), size_t{MaxStringLength})));
  }
  if (EntryOf(word).references >= MaxReferences) return NewCopy(BlockOf(word), HeapLength(word));
  AddReference(word);
  return word;
}

int LengthOf(StringWord word) {
  if (word == 0) return 0;
  if (IsHandle(word)) return HeapLength(word);
  return static_cast<int>(std::strlen(reinterpret_cast<const char*>(word)));
}

const char* DataOf(StringWord word) {
  if (word == 0) return "";
  if (IsHandle(word)) return BlockOf(word);
  return reinterpret_cast<const char*>(word);
}

int Clip(int value, int low, int high) { return std::max(low, std::min(value, high)); }

}  // namespace

String String::Constant(const char* text) noexcept {
  return String(text == nullptr || *text == '\0' ? 0 : reinterpret_cast<StringWord>(text));
}

String String::Copy(std::string_view bytes, std::source_location where) {
  String result;
  result.Append(bytes, where);
  return result;
}

String::String(const String& other) {
  Guard guard(StringHeapLock());
  word_ = ShareWord(other.word_);
}

String& String::operator=(const String& other) {
  if (this == &other) return *this;
  Guard guard(StringHeapLock());
  StringWord shared = ShareWord(other.word_);
  ReleaseWord(word_);
  word_ = shared;
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this == &other) return *this;
  if (IsHandle(word_)) {
    Guard guard(StringHeapLock());
    ReleaseWord(word_);
  }
  word_ = other.word_;
  other.word_ = 0;
  return *this;
}

String::~String() {
  if (!IsHandle(word_)) return;
  Guard guard(StringHeapLock());
  ReleaseWord(word_);
}

void String::Clear() {
  Guard guard(StringHeapLock());
  ReleaseWord(word_);
  word_ = 0;
}

int String::Length() const {
  if (!IsHandle(word_)) return LengthOf(word_);
  Guard guard(StringHeapLock());
  return HeapLength(word_);
}

const char* String::Data() const {
  if (!IsHandle(word_)) return DataOf(word_);
  Guard guard(StringHeapLock());
  return BlockOf(word_);
}

std::string_view String::View() const {
  if (!IsHandle(word_)) return std::string_view(DataOf(word_), static_cast<size_t>(LengthOf(word_)));
  Guard guard(StringHeapLock());
  return std::string_view(BlockOf(word_), static_cast<size_t>(HeapLength(word_)));
}

char String::operator[](int index) const {
  std::string_view view = View();
  return index >= 0 && static_cast<size_t>(index) < view.size() ? view[index] : '\0';
}

int String::ReferenceCount() const {
  if (!IsHandle(word_)) return 0;
  Guard guard(StringHeapLock());
  return EntryOf(word_).references;
}

int String::BlockSize() const {
  if (!IsHandle(word_)) return 0;
  Guard guard(StringHeapLock());
  return BlockSizeFor(HeapLength(word_));
}

char* String::WritableData(std::source_location where) {
  SetSourcePosition(where);
  Guard guard(StringHeapLock());
  if (word_ == 0) {
    static char empty[1];
    empty[0] = '\0';
    return empty;
  }
  if (!IsHandle(word_) || EntryOf(word_).references > 1) {
    StringWord copy = NewCopy(DataOf(word_), LengthOf(word_));
    ReleaseWord(word_);
    word_ = copy;
  }
  return BlockOf(word_);
}

void String::PutChar(int index, char c, std::source_location where) {
  SetSourcePosition(where);
  Guard guard(StringHeapLock());
  if (index < 0 || index >= LengthOf(word_)) {
    RunTimeError(where.file_name(), where.line(), "_PutStringElement: Index out of range");
  }
  WritableData(where)[index] = c;
}

void String::SetLength(int length, bool keep, std::source_location where) {
  SetSourcePosition(where);
  Guard guard(StringHeapLock());
  int old = LengthOf(word_);
  length = Clip(length, 0, MaxStringLength);
  if (keep) {
    ReplaceRange(std::min(old, length), std::max(0, old - length), std::max(0, length - old), where);
  } else {
    ReplaceRange(0, old, length, where);
  }
}

void String::ReplaceRange(int start, int count, int newCount, std::source_location where) {
  SetSourcePosition(where);
  Guard guard(StringHeapLock());
  int old = LengthOf(word_);
  start = Clip(start, 0, old);
  count = Clip(count, 0, old - start);
  newCount = Clip(newCount, 0, MaxStringLength - (old - count));
  int length = old - count + newCount;
  int tail = old - start - count;
  if (length == 0) {
    ReleaseWord(word_);
    word_ = 0;
    return;
  }
  if (IsHandle(word_) && EntryOf(word_).references == 1 && BlockSizeFor(old) == BlockSizeFor(length)) {
    char* block = BlockOf(word_);
    std::memmove(block + start + newCount, block + start + count, static_cast<size_t>(tail));
    std::memset(block + start, 0, static_cast<size_t>(newCount));
    std::memset(block + length, 0, static_cast<size_t>(BlockSizeFor(length) - length));
    EntryOf(word_).length = static_cast<int16_t>(length + 1);
    return;
  }
  const char* source = DataOf(word_);
  StringWord fresh = NewHandle(length);
  char* block = BlockOf(fresh);
  std::memcpy(block, source, static_cast<size_t>(start));
  std::memcpy(block + start + newCount, source + start + count, static_cast<size_t>(tail));
  ReleaseWord(word_);
  word_ = fresh;
}

void String::Splice(int position, int count, std::string_view text, std::source_location where) {
  SetSourcePosition(where);
  Guard guard(StringHeapLock());
  int old = LengthOf(word_);
  position = Clip(position, 0, old);
  // The text may lie inside this string's own block, which the resize may move or overwrite.
  const char* own = DataOf(word_);
  std::string copy;
  if (text.data() >= own && text.data() < own + old) {
    copy.assign(text);
    text = copy;
  }
  count = Clip(count, 0, old - position);
  // A result over the maximum keeps its first characters: the end of the old text
  // goes first, then the end of the new text.
  int tail = old - position - count;
  size_t over = old - count + text.size() > MaxStringLength
                    ? old - count + text.size() - MaxStringLength : 0;
  int dropTail = static_cast<int>(std::min(over, static_cast<size_t>(tail)));
  if (dropTail > 0) ReplaceRange(old - dropTail, dropTail, 0, where);
  text = text.substr(0, text.size() - (over - static_cast<size_t>(dropTail)));
  int newCount = static_cast<int>(text.size());
  ReplaceRange(position, count, newCount, where);
  if (newCount > 0) std::memcpy(BlockOf(word_) + position, text.data(), static_cast<size_t>(newCount));
}

void String::Append(char c, std::source_location where) {
  // Building text a character at a time is the common case: stay within the block.
  if (IsHandle(word_)) {
    Guard guard(StringHeapLock());
    StringEntry& entry = EntryOf(word_);
    int length = entry.length - 1;
    if (entry.references == 1 && length < MaxStringLength && BlockSizeFor(length) == BlockSizeFor(length + 1)) {
      char* block = reinterpret_cast<char*>(entry.data);
      block[length] = c;
      entry.length = static_cast<int16_t>(length + 2);
      return;
    }
  }
  Append(std::string_view(&c, 1), where);
}

void String::Append(std::string_view text, std::source_location where) {
  if (text.empty()) return;
  Splice(MaxStringLength, 0, text, where);
}

String String::Substring(int start, int count) const {
  std::string_view view = View();
  int length = static_cast<int>(view.size());
  start = Clip(start, 0, length);
  count = Clip(count, 0, length - start);
  return Copy(view.substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

int String::Compare(std::string_view a, std::string_view b) {
  size_t shorter = std::min(a.size(), b.size());
  int order = shorter == 0 ? 0 : std::memcmp(a.data(), b.data(), shorter);
  if (order != 0) return order < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

String Concatenate(std::string_view a, std::string_view b) {
  String result = String::Copy(a);
  result.Append(b);
  return result;
}
