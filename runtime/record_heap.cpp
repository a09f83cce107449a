#include "runtime/record_heap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/check.h"

namespace {

constexpr uint32_t RecordMagic = 0xF1F2F3F4;
constexpr uint32_t GuardWord = 0xFFFFFFFF;
constexpr uint8_t GuardByte = 0xFF;

// 16 bytes, so the payload keeps the alignment of the system allocator; the guard
// word sits right before the payload.
struct RecordHeader {
  uint32_t magic;
  uint32_t totalSize;
  uint32_t unused;
  uint32_t guard;
};

}  // namespace

void* AllocateRecord(int size, std::source_location where) {
  size_t payload = size < 1 ? 0 : static_cast<size_t>(size);
  size_t total = sizeof(RecordHeader) + payload + 1;
  auto* header = static_cast<RecordHeader*>(std::calloc(1, total));
  if (header == nullptr) RunTimeError(where.file_name(), where.line(), "OUT OF HEAP SPACE");
  *header = RecordHeader{RecordMagic, static_cast<uint32_t>(total), 0, GuardWord};
  auto* bytes = reinterpret_cast<uint8_t*>(header + 1);
  bytes[payload] = GuardByte;
  return bytes;
}

void FreeRecord(void* payload, std::source_location where) {
  if (payload == nullptr) return;
  auto* header = static_cast<RecordHeader*>(payload) - 1;
  if (header->magic != RecordMagic) RunTimeError(where.file_name(), where.line(), "INVALID HEAP POINTER");
  if (header->guard != GuardWord) {
    RunTimeError(where.file_name(), where.line(), "HEAP WRITE OUT OF BOUNDS (UNDER)");
  }
  size_t size = header->totalSize - sizeof(RecordHeader) - 1;
  if (static_cast<uint8_t*>(payload)[size] != GuardByte) {
    RunTimeError(where.file_name(), where.line(), "HEAP WRITE OUT OF BOUNDS (OVER)");
  }
  std::memset(header, 0xFF, header->totalSize);
  std::free(header);
}
