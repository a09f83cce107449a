#include "fieldbus/text_escape.h"

#include <gtest/gtest.h>

namespace {

TEST(EscapeTextTest, EachFormatWritesItsSpecialCharactersItsOwnWay) {
  struct Case {
    TextEscape escape;
    std::string text;
    std::string written;
  };
  for (const auto& [escape, text, written] : {
           Case{TextEscape::Xml, "Tare <\"A\"> & 'co'", "Tare &lt;&quot;A&quot;&gt; &amp; 'co'"},
           Case{TextEscape::Xml, "&amp;", "&amp;amp;"},
           Case{TextEscape::EdsString, "say \"hi\" C:\\", "say \\\"hi\\\" C:\\\\"},
           Case{TextEscape::EdsString, "<&>'", "<&>'"},
           Case{TextEscape::GsdString, "say \"hi\"", "say 'hi'"},
           Case{TextEscape::None, "say \"hi\" <&>", "say \"hi\" <&>"},
           // Control characters would end the line or are not allowed in XML.
           Case{TextEscape::Xml, std::string("a\tb\x01" "c", 5), "a b c"},
           Case{TextEscape::EdsString, std::string("a\0b", 3), "a b"},
           Case{TextEscape::GsdString, "a\x1f" "b", "a b"},
           // Bytes of other encodings pass unchanged.
           Case{TextEscape::Xml, "\xC2\xB0" "C", "\xC2\xB0" "C"},
       }) {
    EXPECT_EQ(EscapeText(text, escape), written) << text;
  }
}

TEST(EscapeTextTest, TextsBeyondAStringLengthStayWhole) {
  std::string name(32000, '&');
  EXPECT_EQ(EscapeText(name, TextEscape::Xml).size(), 5 * name.size());
}

}  // namespace
