// The download image: the one form of every flash programmer, boot loader and unit
// software the tool sends. An 8-byte header (TransferAddr, TotalSize), records of
// Address (4), Size (2) and Size opaque data bytes, and 0xFFFFFFFF in place of an
// Address to end it; every number most significant byte first. The image is
// delivered data: it is walked, never trusted, before a byte of it is sent.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"
#include "runtime/string.h"

inline constexpr uint32_t ImageHeaderSize = 8;
inline constexpr uint32_t ImageTerminator = 0xFFFFFFFF;
inline constexpr uint16_t LargestRecordSize = 8192;

struct DownloadRecord {
  uint32_t address;
  uint16_t size;
  const uint8_t* data;
};

// Walks the records from offset 8 and checks that each lies within the image, holds
// 1 to 8192 bytes, that the terminator ends the image exactly, and that TotalSize is
// the sum of the sizes. False with the fault in `fault`.
bool CheckDownloadImage(const uint8_t* image, uint32_t length, String& fault);

uint32_t ImageTransferAddr(const ImageSlot& image);
uint32_t ImageTotalSize(const ImageSlot& image);

// A walk over the records of a checked image.
struct RecordWalk {
  const uint8_t* at;
};
RecordWalk FirstRecord(const ImageSlot& image);
// False at the terminator.
bool NextRecord(RecordWalk& walk, DownloadRecord& record);
