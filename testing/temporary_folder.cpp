#include "testing/temporary_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder(const std::string& purpose) {
  // A name nobody else holds: made afresh, never one that exists already.
  std::random_device random;
  std::error_code error;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path folder = fs::temp_directory_path() / ("quarnet-" + purpose + "-" + std::to_string(random() % 1000000000));
    if (fs::create_directory(folder, error)) {
      fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
      path_ = folder.generic_string();
      return;
    }
  }
  throw std::system_error(error ? error : std::make_error_code(std::errc::file_exists),
                          "cannot make a temporary folder for " + purpose);
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
  if (!error) return;
  // A test may have taken the write permission from a folder inside to see how the
  // code copes; without it the folder's entries cannot be removed. A link is passed
  // over: what it points at is not ours.
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (fs::recursive_directory_iterator entry(path_, error); !error && entry != fs::end(entry);
       entry.increment(error)) {
    if (!entry->is_symlink(ignored) && entry->is_directory(ignored)) {
      fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(path_, ignored);
}

void TemporaryFolder::Write(const std::string& relative, const std::string& content) const {
  std::ofstream(Path(relative), std::ios::binary) << content;
}

std::string TemporaryFolder::Read(const std::string& relative) const { return FileText(Path(relative)); }

std::vector<std::string> TemporaryFolder::Listing() const {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}
