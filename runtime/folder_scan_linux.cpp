#include "runtime/folder_scan.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <new>
#include <string_view>
#include <sys/stat.h>

#include "runtime/files.h"
#include "runtime/record_heap.h"

struct FolderScan {
  DIR* folder;
  String mask;
  bool finished;
};

namespace {

uint8_t AttributesOf(std::string_view name, const struct stat& status) {
  uint8_t attributes = 0;
  if ((status.st_mode & S_IWUSR) == 0) attributes |= AttributeReadOnly;
  if (name[0] == '.') attributes |= AttributeHidden;
  if (S_ISDIR(status.st_mode)) attributes |= AttributeFolder;
  else if (!S_ISREG(status.st_mode)) attributes |= AttributeSystem;
  return attributes;
}

}  // namespace

FolderScan* ScanFirst(const String& pattern) {
  String native = NativeName(pattern);
  std::string_view text = native.View();
  size_t slash = text.rfind('/');
  String folder = ".";
  String mask = native;
  if (slash != std::string_view::npos) {
    folder = String::Copy(slash == 0 ? "/" : text.substr(0, slash));
    mask = String::Copy(text.substr(slash + 1));
  }
  // "*.*" means every name on the systems these patterns come from, dot or not.
  if (mask == "*.*") mask = "*";
  DIR* handle = opendir(folder.Data());
  if (handle == nullptr) {
    SetLastOsError(errno);
    return nullptr;
  }
  void* record = AllocateRecord(sizeof(FolderScan));
  return new (record) FolderScan{handle, mask, false};
}

bool ScanNext(FolderScan* scan, ScanEntry& entry) {
  while (!scan->finished) {
    dirent* found = readdir(scan->folder);
    if (found == nullptr) {
      scan->finished = true;
      break;
    }
    std::string_view name = found->d_name;
    if (name == "." || name == ".." || fnmatch(scan->mask.Data(), found->d_name, 0) != 0) continue;
    // A link is described by what it points to; a dangling one by the link itself.
    struct stat status;
    int folderDescriptor = dirfd(scan->folder);
    if (fstatat(folderDescriptor, found->d_name, &status, 0) != 0 &&
        fstatat(folderDescriptor, found->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;  // gone since the folder was read
    }
    uint64_t size = static_cast<uint64_t>(status.st_size);
    entry.name = String::Copy(name);
    entry.sizeHigh = static_cast<uint32_t>(size >> 32);
    entry.sizeLow = static_cast<uint32_t>(size);
    entry.attributes = AttributesOf(name, status);
    return true;
  }
  return false;
}

void ScanClose(FolderScan*& scan) {
  if (scan == nullptr) return;
  closedir(scan->folder);
  scan->~FolderScan();
  FreeRecord(scan);
  scan = nullptr;
}
