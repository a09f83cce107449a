#include <new>
#include <string_view>

#include "runtime/files.h"
#include "runtime/folder_scan.h"
#include "runtime/record_heap.h"
#include "runtime/windows_api.h"
#include "runtime/windows_text.h"

struct FolderScan {
  HANDLE search;
  WIN32_FIND_DATAW found;
  bool haveFound;  // `found` holds an entry not yet given out
};

namespace {

uint8_t AttributesOf(DWORD attributes) {
  uint8_t result = 0;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) result |= AttributeReadOnly;
  if ((attributes & FILE_ATTRIBUTE_HIDDEN) != 0) result |= AttributeHidden;
  if ((attributes & FILE_ATTRIBUTE_SYSTEM) != 0) result |= AttributeSystem;
  if ((attributes & FILE_ATTRIBUTE_ARCHIVE) != 0) result |= AttributeArchive;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) result |= AttributeFolder;
  return result;
}

}  // namespace

FolderScan* ScanFirst(const String& pattern) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WideText(NativeName(pattern).View()).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) {
    DWORD error = GetLastError();
    SetLastOsErrorText(WindowsErrorText(error), ErrorNumberOfWindowsError(error));
    return nullptr;
  }
  void* record = AllocateRecord(sizeof(FolderScan));
  return new (record) FolderScan{search, found, search != INVALID_HANDLE_VALUE};
}

bool ScanNext(FolderScan* scan, ScanEntry& entry) {
  while (scan->haveFound) {
    WIN32_FIND_DATAW found = scan->found;
    scan->haveFound = FindNextFileW(scan->search, &scan->found) != 0;
    std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    entry.name = String::Copy(Utf8Text(name));
    entry.sizeHigh = found.nFileSizeHigh;
    entry.sizeLow = found.nFileSizeLow;
    entry.attributes = AttributesOf(found.dwFileAttributes);
    return true;
  }
  return false;
}

void ScanClose(FolderScan*& scan) {
  if (scan == nullptr) return;
  if (scan->search != INVALID_HANDLE_VALUE) FindClose(scan->search);
  scan->~FolderScan();
  FreeRecord(scan);
  scan = nullptr;
}
