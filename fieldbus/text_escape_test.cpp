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
           Case{TextEscape::CanopenValue, std::string("a;b\x7F" "c", 5), "a,b c"},
           Case{TextEscape::CanopenValue, "say \"hi\" <&>", "say \"hi\" <&>"},
           // The GSDML declares ISO-8859-1: its characters are written as such, the
           // rest as character references.
           Case{TextEscape::Xml, "\xC2\xB0" "C \xC3\xA4", "\xB0" "C \xE4"},
           Case{TextEscape::Xml, "\xE2\x82\xAC \xF0\x9F\x98\x80", "&#x20AC; &#x1F600;"},
           // The other formats are plain ASCII: a readable stand-in, "?" where there is none.
           Case{TextEscape::EdsString, "\xC2\xB0" "C \xC3\xA4 \xC2\xB5m \xE2\x82\xAC \xE4\xB8\xAD", "degC a um EUR ?"},
           Case{TextEscape::GsdString, "\xE2\x80\x9Cq\xE2\x80\x9D \xC3\x9F", "'q' ss"},
           Case{TextEscape::CanopenValue, "\xC2\xB1" "5 \xC3\x85", "+/-5 A"},
           // C1 control characters are control characters too.
           Case{TextEscape::Xml, "a\xC2\x85" "b", "a b"},
       }) {
    EXPECT_EQ(EscapeText(text, escape), written) << text;
  }
}

TEST(EscapeTextTest, TextsBeyondAStringLengthStayWhole) {
  std::string name(32000, '&');
  EXPECT_EQ(EscapeText(name, TextEscape::Xml).size(), 5 * name.size());
}

}  // namespace
