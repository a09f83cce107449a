#include "runtime/folder_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "runtime/files.h"
#include "testing/special_files.h"
#include "testing/temporary_folder.h"

namespace {

struct Found {
  std::string name;
  uint64_t size;
  uint8_t attributes;
  bool operator==(const Found&) const = default;
};

void PrintTo(const Found& found, std::ostream* out) {
  *out << found.name << " " << found.size << " " << int{found.attributes};
}

class FolderScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Write("a.log", "0123456789");
    folder.Write("b.log", "");
    chmod(folder.Path("b.log").c_str(), 0400);
    folder.Write(".hidden.log", "x");
    folder.Write("c.txt", "abc");
    folder.Write("cc.txt", "");
    folder.Write("README", "");
    std::filesystem::create_directory(folder.Path("sub.log"));
    MakeFifo(folder.Path("pipe.log"));
  }

  // Every entry of a scan, sorted by name (the system gives no order). Folder sizes
  // depend on the file system and count as 0.
  static std::vector<Found> Scan(const std::string& pattern) {
    FolderScan* scan = ScanFirst(String::Copy(pattern));
    EXPECT_NE(scan, nullptr) << pattern;
    std::vector<Found> found;
    ScanEntry entry;
    while (scan != nullptr && ScanNext(scan, entry)) {
      uint64_t size = (uint64_t{entry.sizeHigh} << 32) | entry.sizeLow;
      if (entry.attributes & AttributeFolder) size = 0;
      found.push_back({std::string(entry.name.View()), size, entry.attributes});
    }
    ScanClose(scan);
    EXPECT_EQ(scan, nullptr);
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.name < b.name; });
    return found;
  }

  TemporaryFolder folder{"scan"};
};

TEST_F(FolderScanTest, EntriesCarrySizesAndAttributes) {
  EXPECT_EQ(Scan(folder.Path("*.log")), (std::vector<Found>{
                                            {".hidden.log", 1, AttributeHidden},
                                            {"a.log", 10, 0},
                                            {"b.log", 0, AttributeReadOnly},
                                            {"pipe.log", 0, AttributeSystem},
                                            {"sub.log", 0, AttributeFolder},
                                        }));
}

TEST_F(FolderScanTest, WildcardsMatchOnlyInTheLastSegment) {
  auto names = [](const std::vector<Found>& found) {
    std::vector<std::string> result;
    for (const Found& entry : found) result.push_back(entry.name);
    return result;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(names(Scan(folder.Path("?.txt"))), Names{"c.txt"});
  EXPECT_EQ(names(Scan(folder.Path() + "\\c*.txt")), (Names{"c.txt", "cc.txt"}));
  EXPECT_EQ(names(Scan(folder.Path("README"))), Names{"README"});
  EXPECT_EQ(names(Scan(folder.Path(".*"))), Names{".hidden.log"});
  EXPECT_EQ(Scan(folder.Path("*.*")).size(), 8u);
}

TEST_F(FolderScanTest, NoMatchIsAFinishedScanAndAMissingFolderNone) {
  FolderScan* scan = ScanFirst(String::Copy(folder.Path("*.bin")));
  ASSERT_NE(scan, nullptr);
  ScanEntry entry;
  EXPECT_FALSE(ScanNext(scan, entry));
  EXPECT_FALSE(ScanNext(scan, entry));
  ScanClose(scan);

  EXPECT_EQ(ScanFirst(String::Copy(folder.Path("missing/*.log"))), nullptr);
  EXPECT_EQ(LastOsErrorNumber(), ENOENT);
}

TEST_F(FolderScanTest, APatternWithoutFolderScansTheWorkingFolder) {
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  std::vector<Found> found = Scan("*.txt");
  std::filesystem::current_path(previous);
  EXPECT_EQ(found, (std::vector<Found>{{"c.txt", 3, 0}, {"cc.txt", 0, 0}}));
}

// Sizes above 4 GiB split into the high and low words (a sparse file takes no space).
TEST_F(FolderScanTest, LargeSizesSplitIntoTwoWords) {
  std::filesystem::resize_file(folder.Path("a.log"), (uint64_t{5} << 32) + 7);
  EXPECT_EQ(Scan(folder.Path("a.log")), (std::vector<Found>{{"a.log", (uint64_t{5} << 32) + 7, 0}}));
}

}  // namespace
