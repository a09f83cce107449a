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

TEST(Utf8, AppendsAfterWhatTheTextHolds) {
  std::string text = "a";
  AppendUtf8(text, 0xE9);
  AppendUtf8(text, 'b');
  EXPECT_EQ(text, "a\xC3\xA9" "b");
}

}  // namespace
