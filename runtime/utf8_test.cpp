#include "runtime/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Encoded(uint32_t code) {
  std::string text;
  AppendUtf8(text, code);
  return text;
}

TEST(Utf8, EachCodeTakesTheBytesOfItsRange) {
  struct Case {
    uint32_t code;
    std::string bytes;
  };
  const Case cases[] = {
      {0x00, std::string(1, '\0')},
      {0x41, "A"},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0xFC, "\xC3\xBC"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0x20AC, "\xE2\x82\xAC"},
      {0xD800, "\xED\xA0\x80"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x1F600, "\xF0\x9F\x98\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
      {0x110000, "\xEF\xBF\xBD"},
      {0xFFFFFFFF, "\xEF\xBF\xBD"},
  };
  for (const Case& each : cases) EXPECT_EQ(Encoded(each.code), each.bytes) << std::hex << "code 0x" << each.code;
}

TEST(Utf8, EveryUnicodeCodeReadsBackAsWritten) {
  for (uint32_t code : {0x00u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
    std::string text = Encoded(code) + "z";
    size_t at = 0;
    EXPECT_EQ(NextCodePoint(text, at), code) << std::hex << "code 0x" << code;
    EXPECT_EQ(at, text.size() - 1) << std::hex << "code 0x" << code;
  }
}

TEST(Utf8, AByteThatStartsNoValidSequenceStandsForItself) {
  struct Case {
    const char* what;
    std::string text;
    uint32_t code;
  };
  const Case cases[] = {
      {"a lone continuation byte", "\x80z", 0x80},
      {"a lead byte of no sequence", "\xFFz", 0xFF},
      {"a sequence cut short by the end", "\xE2\x82", 0xE2},
      {"a lead byte followed by no continuation", "\xC3z", 0xC3},
      {"a continuation missing inside four bytes", "\xF0\x9F\x98z", 0xF0},
  };
  for (const Case& each : cases) {
    size_t at = 0;
    EXPECT_EQ(NextCodePoint(each.text, at), each.code) << each.what;
    EXPECT_EQ(at, 1u) << each.what << ": the next byte is read on its own";
  }
}

TEST(Utf8, AppendsAfterWhatTheTextHolds) {
  std::string text = "a";
  AppendUtf8(text, 0xE9);
  AppendUtf8(text, 'b');
  EXPECT_EQ(text, "a\xC3\xA9" "b");
}

}  // namespace
