// String: the program's one type for text and byte strings. A value type held in
// one word: empty, a pointer to constant text, or a handle into the string heap.
// Copies share the heap block; writing into a shared string first makes a private
// copy. Zero bytes are allowed in heap strings. At most 32766 characters: an
// operation that would make a string longer keeps its first 32766 characters.
//
// Constant text stays where it is until it is shared or written; only literals
// (and other text that lives for the whole run) may be taken as constants.
#pragma once

#include <cstddef>
#include <source_location>
#include <string_view>

#include "runtime/string_heap.h"

class String {
 public:
  String() noexcept = default;
  // A literal: stored as a pointer, no copy.
  template <size_t N>
  String(const char (&literal)[N]) noexcept : word_(N > 1 ? reinterpret_cast<StringWord>(literal) : 0) {}
  static String Constant(const char* text) noexcept;
  // A heap copy of the bytes.
  static String Copy(std::string_view bytes,
                     std::source_location where = std::source_location::current());

  String(const String& other);
  String(String&& other) noexcept : word_(other.word_) { other.word_ = 0; }
  String& operator=(const String& other);
  String& operator=(String&& other) noexcept;
  ~String();

  int Length() const;
  bool Empty() const { return word_ == 0 || Length() == 0; }
  // Always followed by a zero byte. Valid until this string is next changed.
  const char* Data() const;
  std::string_view View() const;
  operator std::string_view() const { return View(); }
  // The character at index, or 0 outside the string.
  char operator[](int index) const;

  // A private, writable copy of the characters.
  char* WritableData(std::source_location where = std::source_location::current());
  void PutChar(int index, char c, std::source_location where = std::source_location::current());
  void SetLength(int length, bool keep = true,
                 std::source_location where = std::source_location::current());
  // The range [start, start + count) becomes newCount characters long; the rest moves.
  void ReplaceRange(int start, int count, int newCount,
                    std::source_location where = std::source_location::current());
  void Splice(int position, int count, std::string_view text,
              std::source_location where = std::source_location::current());
  void Insert(int position, std::string_view text,
              std::source_location where = std::source_location::current()) {
    Splice(position, 0, text, where);
  }
  void Delete(int position, int count, std::source_location where = std::source_location::current()) {
    Splice(position, count, {}, where);
  }
  void Append(char c, std::source_location where = std::source_location::current());
  void Append(std::string_view text, std::source_location where = std::source_location::current());
  String& operator+=(char c) { Append(c); return *this; }
  String& operator+=(std::string_view text) { Append(text); return *this; }
  void Clear();

  String Substring(int start, int count) const;

  // -1, 0 or 1: byte-wise over the shorter length, then the shorter is less.
  static int Compare(std::string_view a, std::string_view b);
  friend bool operator==(const String& a, std::string_view b) { return Compare(a, b) == 0; }
  friend bool operator<(const String& a, const String& b) { return Compare(a, b) < 0; }

  // What the word holds, for tests and the heap's own checks.
  StringWord Word() const { return word_; }
  bool IsConstant() const { return word_ != 0 && !IsHandle(word_); }
  int ReferenceCount() const;
  int BlockSize() const;

 private:
  explicit String(StringWord word) : word_(word) {}
  StringWord word_ = 0;
};

String Concatenate(std::string_view a, std::string_view b);
