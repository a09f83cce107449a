#include "runtime/buffered_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "runtime/path.h"
#include "testing/console_capture.h"
#include "testing/temporary_folder.h"

namespace {

class BufferedFileTest : public ::testing::Test {
 protected:
  String Name(const std::string& relative) const { return String::Copy(folder.Path(relative)); }
  // Every byte up to the end, the end-of-file flag checked after each get.
  static std::string ReadAll(BufferedFile* file) {
    std::string content;
    FileReader reader(file);
    for (;;) {
      uint8_t c = GetByte(reader);
      if (FileEnd(file)) return content;
      content += static_cast<char>(c);
    }
  }

  TemporaryFolder folder{"buffered"};
  ConsoleCapture console;
};

// Over two buffer boundaries, zero bytes included, and through a '\' name.
TEST_F(BufferedFileTest, WhatIsWrittenReadsBackByteForByte) {
  std::string content(2 * FileBufferSize + 100, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
  String name = Concatenate(AddSeparator(String::Copy(folder.Path())), "data.bin");
  BufferedFile* file = nullptr;
  ASSERT_EQ(FileCreate(file, name), 0);
  FileStream stream(file);
  PutRaw(stream, content);
  EXPECT_TRUE(FileClose(file));
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(folder.Read("data.bin"), content);

  ASSERT_EQ(FileOpen(file, name), 0);
  EXPECT_FALSE(file->writing);
  EXPECT_EQ(ReadAll(file), content);
  EXPECT_EQ(FileGetByte(file), 0);
  EXPECT_TRUE(FileEnd(file));
  EXPECT_TRUE(FileClose(file));
  EXPECT_TRUE(console.Text().empty()) << console.Text();
}

TEST_F(BufferedFileTest, CreateTruncatesAppendAddsAndAnEmptyFileEndsAtOnce) {
  BufferedFile* file = nullptr;
  ASSERT_EQ(FileAppend(file, Name("log")), 0);
  FilePutByte(file, 'a');
  EXPECT_TRUE(FileClose(file));
  ASSERT_EQ(FileAppend(file, Name("log")), 0);
  FilePutByte(file, 'b');
  EXPECT_TRUE(FileClose(file));
  EXPECT_EQ(folder.Read("log"), "ab");

  ASSERT_EQ(FileCreate(file, Name("log")), 0);
  EXPECT_TRUE(FileClose(file));
  EXPECT_EQ(folder.Read("log"), "");
  ASSERT_EQ(FileOpen(file, Name("log")), 0);
  EXPECT_TRUE(FileEnd(file));
  EXPECT_EQ(FileGetByte(file), 0);
  EXPECT_TRUE(FileClose(file));
}

TEST_F(BufferedFileTest, OpenFailuresAreWrittenAndGiveTheErrorNumber) {
  struct Case {
    int (*opener)(BufferedFile*&, const String&);
    const char* text;
  };
  for (auto [opener, text] : {Case{FileCreate, "Cannot create file: "},
                              Case{FileAppend, "Cannot open file for append: "},
                              Case{FileOpen, "Cannot open file: "}}) {
    console.Clear();
    static BufferedFile stale{};
    BufferedFile* file = &stale;
    EXPECT_EQ(opener(file, Name("missing/x.txt")), ENOENT) << text;
    EXPECT_EQ(file, nullptr);
    EXPECT_TRUE(console.Said(text + folder.Path("missing/x.txt"))) << console.Text();
  }
  console.Clear();
  BufferedFile* file = nullptr;
  EXPECT_EQ(FileCreateQuietly(file, Name("missing/x.txt")), ENOENT);
  EXPECT_EQ(FileOpenQuietly(file, Name("missing/x.txt")), ENOENT);
  EXPECT_EQ(file, nullptr);
  EXPECT_TRUE(console.Text().empty()) << console.Text();
}

// Documents are for others to read as the umask allows; the program's own files
// stay with their owner whatever the umask.
TEST_F(BufferedFileTest, DocumentsFollowTheUmaskOwnFilesStayPrivate) {
  struct Case {
    int (*opener)(BufferedFile*&, const String&);
    mode_t umask;
    mode_t mode;
  };
  mode_t saved = umask(022);
  for (auto [opener, mask, mode] : {Case{FileCreateDocument, 022, 0644}, Case{FileCreateDocument, 002, 0664},
                                    Case{FileCreateDocument, 077, 0600}, Case{FileCreateQuietly, 002, 0600},
                                    Case{FileCreate, 0, 0600}}) {
    umask(mask);
    std::filesystem::remove(folder.Path("file"));
    BufferedFile* file = nullptr;
    ASSERT_EQ(opener(file, Name("file")), 0);
    EXPECT_TRUE(FileClose(file));
    struct stat status;
    ASSERT_EQ(stat(folder.Path("file").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, mode) << std::oct << mask;
  }
  umask(saved);
  EXPECT_TRUE(console.Text().empty()) << console.Text();
}

// A full disk: the close must not report the file as good, whether the failure
// came with a full buffer or only with the final flush.
TEST_F(BufferedFileTest, AFailedWriteMakesTheCloseFail) {
  for (size_t size : {size_t{100}, size_t{3 * FileBufferSize}}) {
    BufferedFile* file = nullptr;
    ASSERT_EQ(FileCreate(file, "/dev/full"), 0);
    FileStream stream(file);
    PutRaw(stream, std::string(size, 'x'));
    EXPECT_FALSE(FileClose(file)) << size;
    EXPECT_EQ(file, nullptr);
  }
}

// The record keeps 1023 characters of a longer name; the file itself gets its whole name.
TEST_F(BufferedFileTest, ALongNameIsCutInTheRecordOnly) {
  std::string deep = folder.Path();
  for (int i = 0; i < 5; ++i) {
    deep += "/" + std::string(200, static_cast<char>('a' + i));
    std::filesystem::create_directory(deep);
  }
  std::string name = deep + "/file.txt";
  ASSERT_GT(name.size(), 1023u);
  BufferedFile* file = nullptr;
  ASSERT_EQ(FileCreate(file, String::Copy(name)), 0);
  EXPECT_EQ(std::strlen(file->name), 1023u);
  EXPECT_EQ(std::string(file->name), name.substr(0, 1023));
  FilePutByte(file, 'z');
  EXPECT_TRUE(FileClose(file));
  EXPECT_TRUE(std::filesystem::exists(name));
}

}  // namespace
