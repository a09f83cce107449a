#include "generic/aarray_text.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "testing/console_capture.h"
#include "testing/pseudorandom.h"

namespace {

// The reports as written, without the time stamps the standard-error stream gives
// each of its lines on the console.
std::string Reports() {
  return std::regex_replace(ConsoleCapture::Text(), std::regex("\r\n[0-9]+\\.[0-9]{3}: "), "\r");
}

class AArrayTextTest : public ::testing::Test {
 protected:
  ConsoleCapture console;
};

TEST_F(AArrayTextTest, EveryTypeIsWrittenAndReadBack) {
  AArray array;
  SetUIntAA(array, 1, 0x1234);
  SetBoolAA(array, 2, true);
  SetTextAA(array, 5, "a,b");
  EXPECT_EQ(AAToText(array), "1x1234,2T,5sa\\cb,");

  SetUIntAA(array, 3, 0xFFFFFFFF);
  SetIntAA(array, 4, -70000);
  SetFloatAA(array, 6, 0.25f);
  SetRealAA(array, 7, 1234.5);
  SetTextAA(array, 8, std::string("comma, back\\slash\nline\ttab\r\x01\xE9", 29));
  SetBytesAA(array, 9, std::string("\x00\xFF", 2));
  SetTextAA(array, 10, std::string(300, 'L'));
  String text = AAToText(array);
  EXPECT_NE(text.View().find("9b00FF,"), std::string::npos) << text.View();
  EXPECT_NE(text.View().find("8scomma\\c back\\\\slash\\nline\\ttab\\r\\01\\E9,"), std::string::npos) << text.View();
  AArray back = TextToAA(text);
  EXPECT_EQ(back.View(), array.View()) << text.View();
  EXPECT_TRUE(console.Text().empty()) << console.Text();

  EXPECT_EQ(AAToText(AArray()), "");
  EXPECT_TRUE(TextToAA(String()).Empty());
}

TEST_F(AArrayTextTest, ACharacterReadsBackAsAnUnsigned8BitNumber) {
  AArray array = String::Copy(std::string("\x04\x21,", 3));
  EXPECT_EQ(AAToText(array), "4c\\c,");
  AArray back = TextToAA(AAToText(array));
  EXPECT_EQ(back.View(), std::string("\x04\x31,", 3));
}

TEST_F(AArrayTextTest, ZeroAndEmptyValuesLeaveNoEntry) {
  EXPECT_TRUE(TextToAA("1x0,2i0,3s,4b,5r0,6R0,7c,").Empty()) << "sparse setters";
}

// Whatever the text, reading it ends, reports what it passes over, and keeps what it
// read: the fields before and after a bad one.
TEST_F(AArrayTextTest, BadFieldsAreReportedAndPassedOver) {
  struct Case {
    const char* text;
    const char* said;
    const char* readBack;
  };
  const Case cases[] = {
      {"1x1,3q1,5x5,", "\r !!! invalid field\r !!! invalid field terminator", "1x01,5x05,"},
      {"1x1,2", "\r !!! invalid field\r !!! invalid field terminator", "1x01,"},
      {"1x1,2x5", "\r !!! invalid field terminator", "1x01,2x05,"},
      {"300x1,4x4,", "\r !!! invalid field\r !!! invalid field terminator", "4x04,"},
      {"1b0F1,2T,", "\r !!! invalid field terminator", "1b0F,2T,"},
      {"1i99999999999,", "", "1i2147483647,"},
      {"1s\\", "\r !!! invalid field terminator", ""},
      {"1s\\4,", "", "1s\\04,"},
      {",,,", "\r !!! invalid field\r !!! invalid field", ""},  // the second comma ends the first field
      {"-,", "\r !!! invalid field", ""},
  };
  for (const Case& c : cases) {
    console.Clear();
    AArray array = TextToAA(String::Copy(c.text));
    EXPECT_EQ(Reports(), c.said) << c.text;
    EXPECT_EQ(AAToText(array), c.readBack) << c.text;
    EXPECT_TRUE(CheckAA(array)) << c.text;
  }
}

TEST_F(AArrayTextTest, RandomTextAlwaysGivesASoundArray) {
  Pseudorandom random(20261210);
  const std::string alphabet = "0123456789,TcxirRsbq\\-. Aa";
  for (int round = 0; round < 5000; ++round) {
    std::string text(random.Next() % 48, ' ');
    for (char& c : text) c = random.Next() % 8 == 0 ? static_cast<char>(random.Next()) : alphabet[random.Next() % alphabet.size()];
    AArray array = TextToAA(String::Copy(text));
    EXPECT_TRUE(CheckAA(array)) << testing::PrintToString(text);
    // Reals are written with the digits of their precision, which need not read back
    // to the same bits.
    if (text.find_first_of("rR") == std::string::npos) {
      EXPECT_EQ(TextToAA(AAToText(array)).View(), array.View()) << testing::PrintToString(text);
    }
  }
}

}  // namespace
