// Folder scans with wildcard patterns such as "LogFiles/20*.log" ('*' and '?' in
// the last segment).
#pragma once

#include <cstdint>

#include "runtime/string.h"

struct ScanEntry {
  String name;
  uint32_t sizeHigh;
  uint32_t sizeLow;
  uint8_t attributes;
};
inline constexpr uint8_t AttributeReadOnly = 0x01;
inline constexpr uint8_t AttributeHidden = 0x02;  // a name starting with '.'
inline constexpr uint8_t AttributeSystem = 0x04;  // not a regular file or folder
inline constexpr uint8_t AttributeArchive = 0x08;
inline constexpr uint8_t AttributeFolder = 0x10;

struct FolderScan;

// A pattern that matches nothing gives a finished scan; a folder that cannot be
// read gives nullptr (and LastOsError).
FolderScan* ScanFirst(const String& pattern);
// The next entry other than "." and ".."; false when finished.
bool ScanNext(FolderScan* scan, ScanEntry& entry);
void ScanClose(FolderScan*& scan);
