#include "runtime/path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/temporary_folder.h"

namespace {

struct PathCase {
  const char* path;
  const char* expected;
};

TEST(PathParts, DirectoryPart) {
  for (auto [path, expected] : {PathCase{"name.txt", ""},
                                PathCase{"10:30 setup.csv", ColonEndsDrive ? "10" : ""},
                                PathCase{"C:\\Tools\\LogFiles\\x.log", "C:\\Tools\\LogFiles"},
                                PathCase{"/home/op/a/b.ini", "/home/op/a"},
                                PathCase{"a/b\\c", "a/b"},
                                PathCase{"folder\\", "folder"}}) {
    EXPECT_EQ(DirectoryPart(String::Copy(path)), std::string_view(expected)) << path;
  }
}

TEST(PathParts, FileNamePart) {
  for (auto [path, expected] : {PathCase{"name.txt", "name.txt"},
                                PathCase{"C:\\Tools\\x.log", "x.log"},
                                PathCase{"/home/op/10:30 setup.csv", ColonEndsDrive ? "30 setup.csv" : "10:30 setup.csv"},
                                PathCase{"/x.log", "/x.log"},
                                PathCase{"folder/", ""}}) {
    EXPECT_EQ(FileNamePart(String::Copy(path)), std::string_view(expected)) << path;
  }
}

TEST(PathParts, ExtensionOnlyAfterTheLastSeparator) {
  for (auto [path, expected] : {PathCase{"x.log", "log"},
                                PathCase{"archive.tar.gz", "gz"},
                                PathCase{"C:\\dir.d\\file", ""},
                                PathCase{"dir.d/file", ""},
                                PathCase{"file.", ""},
                                PathCase{"name", ""}}) {
    EXPECT_EQ(Extension(String::Copy(path)), std::string_view(expected)) << path;
  }
  for (auto [path, expected] : {PathCase{"C:\\a\\x.txt", "C:\\a\\x"},
                                PathCase{"C:\\dir.d\\file", "C:\\dir.d\\file"},
                                PathCase{"archive.tar.gz", "archive.tar"},
                                PathCase{"file.", "file"}}) {
    EXPECT_EQ(StripExtension(String::Copy(path)), std::string_view(expected)) << path;
  }
  EXPECT_EQ(ChangeExtension("LogFiles\\run.txt", "bak"), "LogFiles\\run.bak");
  EXPECT_EQ(ChangeExtension("dir.d/file", "ini"), "dir.d/file.ini");
}

TEST(PathParts, SeparatorsAndAddSeparator) {
  EXPECT_EQ(LastSeparator("abc"), -1);
  EXPECT_EQ(LastSeparator("a:b\\c/d"), 5);
  EXPECT_EQ(LastSeparator("a:b"), ColonEndsDrive ? 1 : -1);
  for (auto [path, expected] : {PathCase{"C:\\Tools", "C:\\Tools/"},
                                PathCase{"/home/", "/home/"},
                                PathCase{"a\\", "a\\"},
                                PathCase{"", "/"}}) {
    EXPECT_EQ(AddSeparator(String::Copy(path)), std::string_view(expected)) << path;
  }
}

TEST(FullPath, AbsolutePathsAreNormalised) {
  for (auto [path, expected] : {PathCase{"/a/b/../c", "/a/c"},
                                PathCase{"\\a\\.\\b", "/a/b"},

                                PathCase{"/a/b/..", "/a/"},
                                PathCase{"/a/b/.", "/a/b/"},
                                PathCase{"/a/../../b", "/b"},
                                PathCase{"/a//b", "/a//b"}}) {
    EXPECT_EQ(FullPath(String::Copy(path)), std::string_view(expected)) << path;
  }
}

// Relative paths start from the working folder, which these tests move into a
// fresh folder and back.
class RelativeFullPath : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::filesystem::canonical(folder.Path()).generic_string();
    std::filesystem::create_directories(root + "/x/y");
    previous = std::filesystem::current_path();
    std::filesystem::current_path(root + "/x/y");
  }
  void TearDown() override { std::filesystem::current_path(previous); }

  TemporaryFolder folder{"path"};
  std::string root;
  std::filesystem::path previous;
};

TEST_F(RelativeFullPath, StartsFromTheWorkingFolder) {
  EXPECT_EQ(std::filesystem::path(std::string(CurrentDirectory().View())), std::filesystem::path(root + "/x/y"));
  EXPECT_EQ(FullPath("..\\b"), root + "/x/b");
  EXPECT_EQ(FullPath("f.txt"), root + "/x/y/f.txt");
  EXPECT_EQ(FullPath(".\\LogFiles\\..\\run.log"), root + "/x/y/run.log");
  EXPECT_EQ(FullPath(""), root + "/x/y/");
  if (!ColonEndsDrive) {
    EXPECT_EQ(FullPath("10:30 setup.csv"), root + "/x/y/10:30 setup.csv") << "a colon is part of a Linux name";
  }
}

}  // namespace
