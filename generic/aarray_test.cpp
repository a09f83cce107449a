#include "generic/aarray.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "testing/console_capture.h"
#include "testing/pseudorandom.h"

namespace {

std::string Bytes(const AArray& array) { return std::string(array.View()); }

class AArrayTest : public ::testing::Test {
 protected:
  ConsoleCapture console;
};

TEST_F(AArrayTest, NumbersTakeTheNarrowestTypeAndTheSparseFormRemovesEmptyValues) {
  struct Case {
    const char* name;
    bool (*set)(AArray&);
    std::string bytes;
  };
  const Case cases[] = {
      {"uint 0x12", [](AArray& a) { return SetUIntAA(a, 1, 0x12); }, std::string("\x01\x31\x12", 3)},
      {"uint 0x1234", [](AArray& a) { return SetUIntAA(a, 1, 0x1234); }, std::string("\x01\x42\x12\x34", 4)},
      {"uint 0x12345", [](AArray& a) { return SetUIntAA(a, 1, 0x12345); },
       std::string("\x01\x54\x00\x01\x23\x45", 6)},
      {"int -1", [](AArray& a) { return SetIntAA(a, 2, -1); }, std::string("\x02\x61\xFF", 3)},
      {"int -129", [](AArray& a) { return SetIntAA(a, 2, -129); }, std::string("\x02\x72\xFF\x7F", 4)},
      {"int 32768", [](AArray& a) { return SetIntAA(a, 2, 32768); }, std::string("\x02\x84\x00\x00\x80\x00", 6)},
      {"true", [](AArray& a) { return SetBoolAA(a, 3, true); }, std::string("\x03\x10", 2)},
      {"float 1", [](AArray& a) { return SetFloatAA(a, 4, 1.0f); }, std::string("\x04\x94\x3F\x80\x00\x00", 6)},
      {"real 1", [](AArray& a) { return SetRealAA(a, 4, 1.0); },
       std::string("\x04\xA8\x3F\xF0\x00\x00\x00\x00\x00\x00", 10)},
      {"16 characters", [](AArray& a) { return SetTextAA(a, 7, "0123456789abcdef"); },
       std::string("\x07\xE0\x10", 3) + "0123456789abcdef"},
      {"15 bytes", [](AArray& a) { return SetBytesAA(a, 8, std::string(15, 'b')); },
       std::string("\x08\xDF", 2) + std::string(15, 'b')},
      {"keeping zero", [](AArray& a) { return SetUIntAA(a, 9, 0, AAForm::Keep); }, std::string("\x09\x31\x00", 3)},
      {"keeping false", [](AArray& a) { return SetBoolAA(a, 9, false, AAForm::Keep); }, std::string("\x09\x10", 2)},
  };
  for (const Case& c : cases) {
    AArray array;
    EXPECT_TRUE(c.set(array)) << c.name;
    EXPECT_EQ(Bytes(array), c.bytes) << c.name;
    EXPECT_FALSE(c.set(array)) << c.name << ": the same value again changes nothing";
    EXPECT_TRUE(CheckAA(array)) << c.name;
  }

  AArray array;
  SetUIntAA(array, 1, 0x1234);
  EXPECT_TRUE(SetUIntAA(array, 1, 0));
  EXPECT_TRUE(array.Empty());
  EXPECT_FALSE(SetTextAA(array, 1, ""));
  EXPECT_FALSE(SetTextAA(array, 1, std::string(AAMaxValueLength + 1, 'x'))) << "too long to store";
  EXPECT_TRUE(array.Empty());
}

TEST_F(AArrayTest, KeysStayAscendingWhateverTheOrderTheyAreSetIn) {
  AArray array;
  SetUIntAA(array, 5, 5);
  SetUIntAA(array, 1, 1);
  SetTextAA(array, 3, "three");
  EXPECT_EQ(Bytes(array), std::string("\x01\x31\x01\x03\xC5three\x05\x31\x05", 13));
  // A value of another length replaces the entry in place.
  SetUIntAA(array, 3, 0x1234);
  EXPECT_EQ(Bytes(array), std::string("\x01\x31\x01\x03\x42\x12\x34\x05\x31\x05", 10));
  EXPECT_TRUE(DeleteAA(array, 1));
  EXPECT_FALSE(DeleteAA(array, 1));
  EXPECT_EQ(Bytes(array), std::string("\x03\x42\x12\x34\x05\x31\x05", 7));
}

TEST_F(AArrayTest, ReadersConvertEveryStoredType) {
  AArray array;
  SetBoolAA(array, 1, true);
  SetUIntAA(array, 2, 0xFFFFFFFF);
  SetIntAA(array, 3, -70000);
  SetFloatAA(array, 4, 2.5f);
  SetRealAA(array, 5, -1e300);
  SetTextAA(array, 6, "  -42");
  SetBytesAA(array, 7, std::string("\x00\xFF", 2));
  SetUIntAA(array, 8, 0xAB);
  struct Case {
    uint8_t key;
    int32_t asInt;
    int64_t asLarge;
    double asReal;
    const char* asText;
  };
  const Case cases[] = {
      {1, 1, 1, 1.0, "1"},
      {2, -1, 0xFFFFFFFF, 4294967295.0, "FFFFFFFF"},
      {3, -70000, -70000, -70000.0, "-70000"},
      {4, 2, 2, 2.5, "2.5"},
      {5, INT32_MIN, INT64_MIN, -1e300, "-1E300"},
      {6, -42, -42, -42.0, "  -42"},
      {8, 0xAB, 0xAB, 171.0, "AB"},
      {9, 0, 0, 0.0, ""},  // no entry
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetIntAA(array, c.key), c.asInt) << int(c.key);
    EXPECT_EQ(GetLargeIntAA(array, c.key), c.asLarge) << int(c.key);
    EXPECT_EQ(GetRealAA(array, c.key), c.asReal) << int(c.key);
    EXPECT_EQ(GetTextAA(array, c.key), c.asText) << int(c.key);
  }
  EXPECT_TRUE(console.Text().empty());
  EXPECT_EQ(GetLargeIntAA(array, 7), 0);
  EXPECT_TRUE(console.Said(" !!! GetLargeIntAA: Cannot read bytes as largeint")) << console.Text();
  EXPECT_EQ(GetTextAA(array, 7), std::string("\x00\xFF", 2));
}

// A unit may send a number wider than the tool would write it; it reads whole.
TEST_F(AArrayTest, WideNumbersFromAUnitReadWhole) {
  AArray array = String::Copy(std::string("\x01\x58\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFE", 10));
  EXPECT_EQ(GetLargeIntAA(array, 1), -2);
  array = String::Copy(std::string("\x01\x56\x00\x01\x00\x00\x00\x00", 8));
  EXPECT_EQ(GetLargeIntAA(array, 1), 0x100000000);
}

TEST_F(AArrayTest, CopyEntryTakesTypeAndBytesOrRemoves) {
  AArray source;
  SetTextAA(source, 4, "four");
  AArray target;
  SetUIntAA(target, 4, 9);
  SetUIntAA(target, 6, 6);
  EXPECT_FALSE(CopyEntryAA(target, 4, source, true)) << "only if absent";
  EXPECT_TRUE(CopyEntryAA(target, 4, source, false));
  EXPECT_EQ(GetTextAA(target, 4), "four");
  EXPECT_FALSE(CopyEntryAA(target, 6, source, true));
  EXPECT_TRUE(CopyEntryAA(target, 6, source, false)) << "missing in the source: removed";
  EXPECT_FALSE(HasAA(target, 6));
}

TEST_F(AArrayTest, CheckFindsDisorderWrongLengthsAndOverruns) {
  const std::string cases[] = {
      std::string("\x05\x31\x01\x01\x31\x01", 6),  // keys descending
      std::string("\x01\x31\x01\x01\x31\x01", 6),  // a key twice
      std::string("\x01\x42\x12", 3),              // value runs past the end
      std::string("\x01\x32\x12\x34", 4),          // an 8-bit number of two bytes
      std::string("\x01\x31\x12\x00", 4),          // a stray byte after the last entry
      std::string("\x01\xE0", 2),                  // a long header cut short
  };
  for (const std::string& bytes : cases) {
    console.Clear();
    EXPECT_FALSE(CheckAA(String::Copy(bytes))) << testing::PrintToString(bytes);
    EXPECT_TRUE(console.Said(" !!! corrupt AA")) << console.Text();
  }
}

// Arrays come from units: no damage may make a reader or a setter step outside the
// string, and a setter on a damaged array still leaves its sound part sound.
TEST_F(AArrayTest, DamagedArraysAreReadWithinTheirBytes) {
  Pseudorandom random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(random.Next() % 40, '\0');
    for (char& c : bytes) c = static_cast<char>(random.Next());
    AArray array = String::Copy(bytes);
    for (int key = 0; key < 256; key += 17) {
      GetLargeIntAA(array, static_cast<uint8_t>(key));
      GetTextAA(array, static_cast<uint8_t>(key));
      GetRealAA(array, static_cast<uint8_t>(key));
    }
    bool sound = CheckAA(array);
    SetUIntAA(array, static_cast<uint8_t>(random.Next()), 7);
    if (sound) {
      EXPECT_TRUE(CheckAA(array)) << testing::PrintToString(bytes);
    }
  }
}

}  // namespace
