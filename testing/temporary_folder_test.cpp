#include "testing/temporary_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace {

namespace fs = std::filesystem;

fs::perms Permissions(const fs::path& path) { return fs::status(path).permissions() & fs::perms::all; }

// Whatever a test leaves inside goes with the folder: nested folders, read-only files,
// a folder the test took the write permission from; what a link inside points at
// stays, permissions and all.
TEST(TemporaryFolder, GoesWithEverythingInItButNotWhatItsLinksPointAt) {
  TemporaryFolder outside("outside");
  outside.Write("kept", "x");
  fs::create_directory(outside.Path("kept folder"));
  outside.Write("kept folder/inside", "y");
  fs::permissions(outside.Path("kept folder"), fs::perms::owner_read | fs::perms::owner_exec);

  std::string path;
  {
    TemporaryFolder folder("cleanup");
    path = folder.Path();
    EXPECT_EQ(path.rfind("/tmp/quarnet-cleanup-", 0), 0u) << path;
    ASSERT_TRUE(fs::is_directory(path));
    EXPECT_EQ(Permissions(path), fs::perms::owner_all);
    fs::create_directories(folder.Path("a/b/c"));
    folder.Write("a/b/c/deep", "1");
    folder.Write("read-only", "2");
    fs::permissions(folder.Path("read-only"), fs::perms::owner_read);
    fs::create_directory(folder.Path("closed"));
    folder.Write("closed/inside", "3");
    fs::permissions(folder.Path("closed"), fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_symlink(outside.Path("kept"), folder.Path("link to a file"));
    fs::create_symlink(outside.Path("kept folder"), folder.Path("link to a folder"));
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << path;
  EXPECT_EQ(outside.Read("kept"), "x");
  EXPECT_EQ(outside.Read("kept folder/inside"), "y");
  EXPECT_EQ(Permissions(outside.Path("kept folder")), fs::perms::owner_read | fs::perms::owner_exec);
  fs::permissions(outside.Path("kept folder"), fs::perms::owner_all);
}

TEST(TemporaryFolder, EachIsAFolderOfItsOwn) {
  TemporaryFolder first("same");
  TemporaryFolder second("same");
  EXPECT_NE(first.Path(), second.Path());
  first.Write("b", std::string("\0\r\n", 3));
  first.Write("a", "");
  EXPECT_EQ(first.Read("b"), std::string("\0\r\n", 3));
  EXPECT_EQ(first.Listing(), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(second.Listing().empty());
  EXPECT_EQ(second.Read("b"), "");
}

}  // namespace
