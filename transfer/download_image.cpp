#include "transfer/download_image.h"

#include "runtime/stream.h"

namespace {

uint32_t LongAt(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
         static_cast<uint32_t>(at[2]) << 8 | at[3];
}

uint16_t WordAt(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }

}  // namespace

bool CheckDownloadImage(const uint8_t* image, uint32_t length, String& fault) {
  fault = String();
  if (image == nullptr || length < ImageHeaderSize) {
    fault = TextOf("shorter than its 8-byte header: ", length, " bytes");
    return false;
  }
  uint64_t sum = 0;
  uint32_t offset = ImageHeaderSize;
  for (;;) {
    if (length - offset < 4) {
      fault = TextOf("no terminator after the record that ends at offset ", offset);
      return false;
    }
    if (LongAt(image + offset) == ImageTerminator) break;
    uint16_t size = length - offset < 6 ? 0 : WordAt(image + offset + 4);
    if (length - offset >= 6 && (size == 0 || size > LargestRecordSize)) {
      fault = TextOf("the record at offset ", offset, " holds ", size, " bytes (a record holds 1 to 8192)");
      return false;
    }
    if (length - offset < 6 || length - offset - 6 < size) {
      fault = TextOf("the record at offset ", offset, " runs past the end");
      return false;
    }
    sum += size;
    offset += 6 + size;
  }
  if (length - offset != 4) {
    fault = TextOf(length - offset - 4, " bytes follow the terminator at offset ", offset);
    return false;
  }
  if (sum != LongAt(image + 4)) {
    fault = TextOf("TotalSize ", LongAt(image + 4), " is not the sum of the record sizes, ", sum);
    return false;
  }
  return true;
}

uint32_t ImageTransferAddr(const ImageSlot& image) { return LongAt(image.data); }

uint32_t ImageTotalSize(const ImageSlot& image) { return LongAt(image.data + 4); }

RecordWalk FirstRecord(const ImageSlot& image) { return RecordWalk{image.data + ImageHeaderSize}; }

bool NextRecord(RecordWalk& walk, DownloadRecord& record) {
  record.address = LongAt(walk.at);
  if (record.address == ImageTerminator) return false;
  record.size = WordAt(walk.at + 4);
  record.data = walk.at + 6;
  walk.at += 6 + record.size;
  return true;
}
