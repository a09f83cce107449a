// Where the file forms start the first time: the operator's documents folder.
#include "runtime/user_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/saved_variable.h"
#include "testing/temporary_folder.h"

namespace {

TEST(DocumentsFolder, TheDesktopsChoiceElseDocumentsElseHome) {
  TemporaryFolder folder("documents");
  SavedVariable home("HOME", folder.Path("home"));
  SavedVariable config("XDG_CONFIG_HOME", folder.Path("config"));
  std::filesystem::create_directories(folder.Path("home"));
  std::filesystem::create_directories(folder.Path("config"));
  EXPECT_EQ(std::string(DocumentsFolder().View()), folder.Path("home")) << "no documents folder at all";

  std::filesystem::create_directories(folder.Path("home/Documents"));
  EXPECT_EQ(std::string(DocumentsFolder().View()), folder.Path("home/Documents"));

  folder.Write("config/user-dirs.dirs", "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(std::string(DocumentsFolder().View()), folder.Path("home/Documents")) << "named, but not there";
  std::filesystem::create_directories(folder.Path("home/Dokumente"));
  EXPECT_EQ(std::string(DocumentsFolder().View()), folder.Path("home/Dokumente"));
}

}  // namespace
