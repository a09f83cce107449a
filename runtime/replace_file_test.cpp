// Files replaced whole: never through a link someone planted, never in place of
// something that is not a regular file, the old content kept when the write fails.
#include "runtime/replace_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "testing/special_files.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

bool Replace(const std::string& name, const std::string& content, String& fault) {
  return ReplaceFile(String::Copy(name), reinterpret_cast<const uint8_t*>(content.data()), content.size(),
                     DocumentMode, fault);
}

TEST(ReplaceFile, WritesANewFileAndReplacesAnOldOneWhole) {
  TemporaryFolder folder("replace");
  String fault;
  ASSERT_TRUE(Replace(folder.Path("a.csv"), "first", fault)) << fault.View();
  ASSERT_TRUE(Replace(folder.Path("a.csv"), "second", fault)) << fault.View();
  EXPECT_EQ(folder.Read("a.csv"), "second");
  EXPECT_EQ(folder.Listing(), std::vector<std::string>{"a.csv"}) << "no temporary left behind";
}

// Links planted under the names a careless writer would use for its temporary file
// point at a file of someone else's: it stays as it was.
TEST(ReplaceFile, APlantedLinkIsNeverWrittenThrough) {
  TemporaryFolder folder("replace");
  folder.Write("precious", "keep me");
  for (const char* planted : {"a.csv.partial", "a.csv.000", "a.csv.part", "a.csv.tmp"}) {
    fs::create_symlink(folder.Path("precious"), folder.Path(planted));
  }
  String fault;
  ASSERT_TRUE(Replace(folder.Path("a.csv"), "setup", fault)) << fault.View();
  EXPECT_EQ(folder.Read("precious"), "keep me");
  EXPECT_EQ(folder.Read("a.csv"), "setup");
}

// A link as the target is the operator's way of naming a file: the file it names is
// replaced, the link stays.
TEST(ReplaceFile, ALinkAsTheTargetIsFollowed) {
  TemporaryFolder folder("replace");
  fs::create_directories(folder.Path("real"));
  folder.Write("real/setup.csv", "old");
  fs::create_symlink(folder.Path("real/setup.csv"), folder.Path("link.csv"));
  fs::create_symlink("real/new.csv", folder.Path("dangling.csv"));
  String fault;
  ASSERT_TRUE(Replace(folder.Path("link.csv"), "new", fault)) << fault.View();
  ASSERT_TRUE(Replace(folder.Path("dangling.csv"), "made", fault)) << fault.View();
  EXPECT_TRUE(fs::is_symlink(folder.Path("link.csv")));
  EXPECT_EQ(folder.Read("real/setup.csv"), "new");
  EXPECT_EQ(folder.Read("real/new.csv"), "made");
}

// Whatever is not a regular file is refused and left as it is: a FIFO, a folder, a
// link to either, a character device.
TEST(ReplaceFile, WhatIsNoRegularFileIsRefusedAndLeftAsItIs) {
  TemporaryFolder folder("replace");
  if (!MakeFifo(folder.Path("fifo"))) GTEST_SKIP() << "no FIFOs on this system";
  fs::create_directories(folder.Path("folder"));
  fs::create_symlink(folder.Path("fifo"), folder.Path("link-to-fifo"));
  for (const std::string& name : {folder.Path("fifo"), folder.Path("folder"), folder.Path("link-to-fifo"),
                                  std::string("/dev/null")}) {
    SCOPED_TRACE(name);
    String fault;
    EXPECT_FALSE(Replace(name, "x", fault));
    EXPECT_NE(std::string(fault.View()).find("it is not a regular file"), std::string::npos) << fault.View();
  }
  EXPECT_TRUE(fs::is_fifo(folder.Path("fifo")));
  EXPECT_TRUE(fs::is_directory(folder.Path("folder")));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(folder.Listing(), (std::vector<std::string>{"fifo", "folder", "link-to-fifo"}));
}

TEST(ReplaceFile, AWriteThatCannotFinishLeavesTheOldFileAndNoTemporary) {
  TemporaryFolder folder("replace");
  folder.Write("a.csv", "old");
  FileReplacement file;
  String fault;
  ASSERT_TRUE(BeginReplacement(String::Copy(folder.Path("a.csv")), DocumentMode, file, fault));
  ASSERT_TRUE(WriteReplacement(file, "half", 4, fault));
  AbandonReplacement(file);
  EXPECT_EQ(folder.Read("a.csv"), "old");
  EXPECT_EQ(folder.Listing(), std::vector<std::string>{"a.csv"});

  EXPECT_FALSE(Replace(folder.Path("missing/a.csv"), "x", fault));
  EXPECT_NE(std::string(fault.View()).find("No such file or directory"), std::string::npos) << fault.View();
}

}  // namespace
