#include "generic/parse_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::string>;

// Walks a line as callers do; every field must carry the next column number, and
// the call after the last must keep failing.
Fields Split(const std::string& line) {
  String text = String::Copy(line);
  int16_t position = 0;
  int16_t column = 0;
  String field = "stale";
  Fields fields;
  while (ReadCsvField(text, position, column, field)) {
    EXPECT_EQ(column, static_cast<int16_t>(fields.size())) << line;
    fields.emplace_back(field.View());
  }
  EXPECT_TRUE(field.Empty()) << line;
  EXPECT_FALSE(ReadCsvField(text, position, column, field)) << line;
  return fields;
}

TEST(ReadCsvFieldTest, SplitsAndUnquotes) {
  struct Case {
    const char* line;
    Fields fields;
  };
  for (const auto& [line, fields] : {
           Case{"a,b,c", {"a", "b", "c"}},
           Case{"a,,c", {"a", "", "c"}},
           Case{"a,b,", {"a", "b", ""}},
           Case{"", {""}},
           Case{",", {"", ""}},
           Case{"\"x,y\",z", {"x,y", "z"}},
           Case{"'x,y',z", {"x,y", "z"}},
           Case{"\"say \"\"hi\"\"\"", {"say \"hi\""}},
           Case{"'it''s'", {"it's"}},
           Case{"\"it's\"", {"it's"}},
           Case{"'say \"hi\"'", {"say \"hi\""}},
           Case{"ab\"cd,e", {"ab\"cd", "e"}},
           Case{"ab'cd", {"ab'cd"}},
           Case{"\"\",x", {"", "x"}},
           // A space before the quote: the quote is text, and so is the comma after it.
           Case{"a, \"b,c\"", {"a", " \"b", "c\""}},
           // Text after a closing quote joins the field.
           Case{"\"ab\"cd,e", {"abcd", "e"}},
           Case{"\"ab\"'cd',e", {"ab'cd'", "e"}},
           // An unclosed quote runs to the end of the line, commas included.
           Case{"a,\"b,c", {"a", "b,c"}},
           Case{"'Run,,Stop',x", {"Run,,Stop", "x"}},
       }) {
    EXPECT_EQ(Split(line), fields) << line;
  }
}

TEST(ReadCsvFieldTest, PositionOutsideTheLineReadsNothing) {
  String line = "a,b";
  String field = "stale";
  int16_t column = 0;
  for (int16_t position : {int16_t{-1}, int16_t{4}, int16_t{32767}}) {
    EXPECT_FALSE(ReadCsvField(line, position, column, field)) << position;
    EXPECT_TRUE(field.Empty());
  }
  EXPECT_EQ(column, 0);
}

TEST(ReadCsvFieldTest, LongestLineKeepsItsPositionInRange) {
  std::string line(MaxStringLength - 2, 'x');
  line += ",y";
  Fields fields = Split(line);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].size(), static_cast<size_t>(MaxStringLength - 2));
  EXPECT_EQ(fields[1], "y");
}

// The walk over a text of any length: fields beyond a String's length come whole,
// and a field whose quote never closed is told apart from one that did.
TEST(ReadCsvFieldTest, TextsOfAnyLengthAndOpenQuotes) {
  struct Field {
    std::string text;
    bool quoteLeftOpen;
    bool operator==(const Field&) const = default;
  };
  auto split = [](const std::string& line) {
    std::vector<Field> fields;
    CsvCursor cursor;
    std::string field;
    while (ReadCsvField(line, cursor, field)) {
      EXPECT_EQ(cursor.column, static_cast<int32_t>(fields.size())) << line;
      fields.push_back({field, cursor.quoteLeftOpen});
    }
    EXPECT_FALSE(ReadCsvField(line, cursor, field)) << line;
    return fields;
  };
  std::string longField(3 * MaxStringLength, 'x');
  struct Case {
    std::string line;
    std::vector<Field> fields;
  };
  for (const auto& [line, fields] : {
           Case{longField + ",\"" + longField + "\"", {{longField, false}, {longField, false}}},
           Case{"a,\"b,c", {{"a", false}, {"b,c", true}}},
           Case{"'Run,,Stop", {{"Run,,Stop", true}}},
           Case{"\"ab\"cd,'it''s'", {{"abcd", false}, {"it's", false}}},
           Case{"\"a\"\"", {{"a\"", true}}},
           Case{"", {{"", false}}},
       }) {
    EXPECT_EQ(split(line), fields) << line.substr(0, 40);
  }
}

}  // namespace
