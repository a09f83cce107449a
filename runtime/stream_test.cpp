#include "runtime/stream.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

template <typename Write>
std::string Written(Write write) {
  String text;
  StringStream out(text);
  write(out);
  return std::string(text.View());
}

TEST(Writers, TextWidthAndTruncation) {
  struct Case {
    int width;
    bool truncate;
    const char* expected;
  };
  const Case cases[] = {
      {0, false, "abcd"}, {6, false, "  abcd"}, {-6, false, "abcd  "},
      {2, false, "abcd"}, {2, true, "ab"},      {-3, true, "abc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Written([&](Stream& s) { PutText(s, "abcd", c.width, c.truncate); }), c.expected)
        << c.width << " " << c.truncate;
  }
}

TEST(Writers, IntegersAndHexadecimal) {
  EXPECT_EQ(Written([](Stream& s) { PutInt(s, -1234); }), "-1234");
  EXPECT_EQ(Written([](Stream& s) { PutInt(s, INT64_MIN); }), "-9223372036854775808");
  EXPECT_EQ(Written([](Stream& s) { PutHex4(s, 0x1A); }), "001A");
  EXPECT_EQ(Written([](Stream& s) { PutHex2(s, 0x1FF); }), "FF");
  EXPECT_EQ(Written([](Stream& s) { PutHex8(s, 0xDEADBEEFCAFEull); }), "BEEFCAFE");
}

// A line's pieces in one call, each written as its own writer writes it.
TEST(Writers, ALineFromItsPieces) {
  struct Case {
    std::string written;
    const char* expected;
  };
  const Case cases[] = {
      {Written([](Stream& s) { PutLine(s); }), "\r\n"},
      {Written([](Stream& s) { PutLine(s, "[DISCARD (", 12u, ") ", String("01 02"), "]"); }),
       "[DISCARD (12) 01 02]\r\n"},
      {Written([](Stream& s) { PutLine(s, "Address=$", Hex{0x6000, 8}, ", Result=", Hex{1, 2}); }),
       "Address=$00006000, Result=01\r\n"},
      {Written([](Stream& s) { PutLine(s, "file ", Hex{0x1A, 4}, " ", uint8_t{200}, " ", int16_t{-5}); }),
       "file 001A 200 -5\r\n"},
      {Written([](Stream& s) { PutLine(s, std::string_view("view"), uint64_t{4294967296}); }), "view4294967296\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.written, c.expected);
  EXPECT_EQ(TextOf("Card", int16_t{653}, " at $", Hex{0x40, 2}).View(), "Card653 at $40");
}

TEST(Writers, BinaryValuesAreBigEndianAndReadBack) {
  std::string bytes = Written([](Stream& s) {
    PutByte(s, 0x01);
    PutWord(s, 0x1234);
    PutLong(s, 0x01020304);
    PutQuad(s, 0x1122334455667788ull);
    PutFloatBits(s, 1.5f);
    PutDoubleBits(s, -2.25);
    PutRaw(s, std::string_view("\0z", 2));
  });
  EXPECT_EQ(bytes.substr(0, 7), std::string("\x01\x12\x34\x01\x02\x03\x04", 7));
  EXPECT_EQ(bytes.substr(15, 4), std::string("\x3F\xC0\x00\x00", 4));

  String text = String::Copy(bytes);
  StringReader reader(text);
  EXPECT_EQ(GetByte(reader), 0x01);
  EXPECT_EQ(GetWord(reader), 0x1234);
  EXPECT_EQ(GetLong(reader), 0x01020304u);
  EXPECT_EQ(GetQuad(reader), 0x1122334455667788ull);
  EXPECT_EQ(GetFloatBits(reader), 1.5f);
  EXPECT_EQ(GetDoubleBits(reader), -2.25);
  EXPECT_EQ(GetByte(reader), 0);
  EXPECT_EQ(GetByte(reader), 'z');
  EXPECT_EQ(GetByte(reader), 0);  // past the end
}

TEST(Readers, ReadIntConsumesTheCharacterThatEndsIt) {
  String text = "  -42x7";
  StringReader reader(text);
  EXPECT_EQ(ReadInt(reader), -42);
  EXPECT_EQ(GetByte(reader), '7');

  String letters = "abc";
  StringReader other(letters);
  EXPECT_EQ(ReadInt(other), 0);
  EXPECT_EQ(GetByte(other), 'b');
  EXPECT_EQ(ReadInt(String("\t 12")), 12);
}

TEST(Readers, ReadHex) {
  struct Case {
    const char* text;
    int bytes;
    uint64_t expected;
  };
  const Case cases[] = {
      {"0x1F2", 1, 0x1F}, {"$ff", 1, 0xFF}, {" 0", 2, 0}, {"0", 1, 0},
      {"01", 1, 0x01},    {"0abc", 1, 0x0A}, {"AbCd", 2, 0xABCD}, {"g1", 4, 0},
      {"123456789", 4, 0x12345678},
  };
  for (const Case& c : cases) {
    String text = String::Constant(c.text);
    StringReader reader(text);
    EXPECT_EQ(ReadHex(reader, c.bytes), c.expected) << c.text;
  }
}

TEST(Readers, ReadReal) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"12.5kg", 12.5}, {"1,5", 1}, {"+3", 0}, {"1E+5", 1}, {"1.5e3", 1500},
      {" -0.25", -0.25}, {"0.1", 0.1}, {"2e-3", 0.002}, {"", 0}, {".5", 0.5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadReal(String::Constant(c.text)), c.expected) << c.text;
  }
  EXPECT_TRUE(std::isinf(ReadReal(String("1e999"))));
}

TEST(Streams, PointerStreamTerminatesTextVariant) {
  uint8_t buffer[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  PointerStream text(buffer, true);
  PutText(text, "ab");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), "ab");
  PointerReader reader(buffer);
  EXPECT_EQ(GetWord(reader), 0x6162);
}

}  // namespace
