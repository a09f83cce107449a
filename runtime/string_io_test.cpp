#include "runtime/string_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/temporary_folder.h"

namespace {

using Lines = std::vector<std::string>;

class ReadLineTest : public ::testing::Test {
 protected:
  // Every line of a file holding content, read until ReadLine gives false; one more
  // call must give false again.
  Lines LinesOf(const std::string& content) const {
    folder.Write("lines.txt", content);
    BufferedFile* file = nullptr;
    EXPECT_EQ(FileOpen(file, String::Copy(folder.Path("lines.txt"))), 0);
    Lines lines;
    String line = "stale";
    while (ReadLine(file, line)) lines.emplace_back(line.View());
    EXPECT_TRUE(line.Empty());
    EXPECT_FALSE(ReadLine(file, line));
    FileClose(file);
    return lines;
  }

  TemporaryFolder folder{"lines"};
};

TEST_F(ReadLineTest, LineEnds) {
  struct Case {
    std::string content;
    Lines lines;
  };
  for (const auto& [content, lines] : {
           Case{"", {}},
           Case{"one\r\ntwo\r\n", {"one", "two"}},
           Case{"one\r\ntwo", {"one", "two"}},
           Case{"one\rtwo\r", {"one", "two"}},
           Case{"one\ntwo\n", {"one", "two"}},
           Case{"one\n\ntwo", {"one", "", "two"}},
           Case{"\r\n\r\nlast", {"", "", "last"}},
           Case{"a\r\r\nb", {"a", "", "b"}},
           Case{"\n", {""}},
           Case{std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
       }) {
    EXPECT_EQ(LinesOf(content), lines) << content;
  }
}

// After 32000 characters the line is returned and the rest comes as the next line,
// even when the rest is only the line end.
TEST_F(ReadLineTest, LongLinesComeInPieces) {
  std::string full(MaxLineLength, 'x');
  EXPECT_EQ(LinesOf(full + "yyy\r\nz"), (Lines{full, "yyy", "z"}));
  EXPECT_EQ(LinesOf(full + "\r\nz"), (Lines{full, "", "z"}));
  EXPECT_EQ(LinesOf(full), (Lines{full}));
}

TEST_F(ReadLineTest, LinesRunAcrossBufferRefills) {
  std::string content;
  Lines lines;
  for (int i = 0; content.size() < 3 * FileBufferSize; ++i) {
    lines.push_back(std::to_string(i) + std::string(static_cast<size_t>(i % 97), '-'));
    content += lines.back() + "\r\n";
  }
  EXPECT_EQ(LinesOf(content), lines);
}

}  // namespace
