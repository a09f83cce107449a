#include "runtime/string_heap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/check.h"

namespace {

constexpr uint32_t BlockMagic = 0x1F2F3F4F;
constexpr uint32_t GuardWord = 0xFFFFFFFF;
constexpr uint8_t GuardByte = 0xFF;
constexpr uint32_t ManyBlocks = 10'000'000;
constexpr int MaxWarnings = 10;

struct BlockHeader {
  uint32_t magic;
  uint32_t totalSize;
  BlockHeader* next;
  BlockHeader* previous;  // live blocks are doubly linked so that a free is O(1)
  const char* module;
  uint32_t line;
  uint32_t guard;
};

struct Heap {
  std::recursive_mutex lock;
  StringEntry* table = nullptr;
  uint32_t count = 0;
  // Entries from here on have never been used; they join the free chain only in
  // thought, after every freed one, so that their pages are not touched before use.
  uint32_t fresh = 0;
  StringWord freeHead = 0;
  uint32_t inUse = 0;
  uint16_t highestReferences = 0;
  BlockHeader* liveBlocks = nullptr;
  uint32_t liveBlockCount = 0;
  uint64_t liveBytes = 0;
  int warnings = 0;
};

StringWord HandleOf(uint32_t index) { return HandleTag | index; }
uint32_t IndexOf(StringWord handle) { return static_cast<uint32_t>(handle & 0xFFFFFF); }

void Fail(const char* message) {
  RunTimeError(SourcePosition.module, SourcePosition.line, message);
}

Heap& TheHeap() {
  static Heap* heap = [] {
    auto* created = new Heap;
    created->table = static_cast<StringEntry*>(std::calloc(TableStep, sizeof(StringEntry)));
    if (created->table == nullptr) Fail("Unable to create string heap");
    created->count = TableStep;
    return created;
  }();
  return *heap;
}

void GrowTable(Heap& heap) {
  uint32_t newCount = heap.count + TableStep;
  if (newCount > MaxTableEntries) Fail("OUT OF STRING HEAP SPACE");
  auto* table = static_cast<StringEntry*>(std::calloc(newCount, sizeof(StringEntry)));
  if (table == nullptr) Fail("OUT OF STRING HEAP SPACE");
  std::memcpy(table, heap.table, heap.count * sizeof(StringEntry));
  std::free(heap.table);
  heap.table = table;
  heap.count = newCount;
}

void Warn(const char* text) {
  Heap& heap = TheHeap();
  if (heap.warnings >= MaxWarnings) return;
  ++heap.warnings;
  std::printf("%s", text);
  std::fflush(stdout);
}

}  // namespace

std::recursive_mutex& StringHeapLock() { return TheHeap().lock; }

void CreateStringHeap() { TheHeap(); }

StringEntry& EntryOf(StringWord handle) {
  Heap& heap = TheHeap();
  uint32_t index = IndexOf(handle);
  if (!IsHandle(handle) || index >= heap.fresh) BadPointer(SourcePosition.module, SourcePosition.line);
  return heap.table[index];
}

char* GuardedAllocate(int size) {
  Heap& heap = TheHeap();
  size_t total = sizeof(BlockHeader) + static_cast<size_t>(size) + 1;
  auto* header = static_cast<BlockHeader*>(std::calloc(1, total));
  if (header == nullptr) Fail("OUT OF STRING HEAP SPACE");
  *header = BlockHeader{BlockMagic, static_cast<uint32_t>(total), heap.liveBlocks, nullptr,
                        SourcePosition.module, SourcePosition.line, GuardWord};
  if (heap.liveBlocks != nullptr) heap.liveBlocks->previous = header;
  heap.liveBlocks = header;
  char* payload = reinterpret_cast<char*>(header + 1);
  payload[size] = static_cast<char>(GuardByte);
  ++heap.liveBlockCount;
  heap.liveBytes += total;
  if (heap.liveBlockCount > ManyBlocks) {
    char text[200];
    std::snprintf(text, sizeof text, "LARGE NUMBER OF STRING ALLOCATIONS %s(%u)\n",
                  SourcePosition.module, SourcePosition.line);
    Warn(text);
  }
  return payload;
}

void GuardedFree(char* payload) {
  Heap& heap = TheHeap();
  auto* header = reinterpret_cast<BlockHeader*>(payload) - 1;
  if (header->magic != BlockMagic) Fail("INVALID STRING HEAP POINTER");
  if (header->previous != nullptr) header->previous->next = header->next;
  else heap.liveBlocks = header->next;
  if (header->next != nullptr) header->next->previous = header->previous;
  size_t payloadSize = header->totalSize - sizeof(BlockHeader) - 1;
  auto reportWithOwner = [&](const char* message) {
    WriteCheckReport(message, SourcePosition.module, SourcePosition.line);
    RunTimeError(header->module, header->line, "string");
  };
  if (header->guard != GuardWord) reportWithOwner("STRING HEAP WRITE OUT OF BOUNDS (UNDER)");
  if (static_cast<uint8_t>(payload[payloadSize]) != GuardByte) {
    reportWithOwner("STRING HEAP WRITE OUT OF BOUNDS (OVER)");
  }
  --heap.liveBlockCount;
  heap.liveBytes -= header->totalSize;
  std::memset(header, 0xFF, header->totalSize);
  std::free(header);
}

StringWord NewHandle(int characters) {
  Heap& heap = TheHeap();
  if (heap.freeHead == 0 && heap.fresh == heap.count) GrowTable(heap);
  char* block = GuardedAllocate(BlockSizeFor(characters));
  StringWord handle;
  if (heap.freeHead != 0) {
    handle = heap.freeHead;
    heap.freeHead = EntryOf(handle).data;
  } else {
    handle = HandleOf(heap.fresh++);
  }
  StringEntry& entry = EntryOf(handle);
  entry = StringEntry{reinterpret_cast<StringWord>(block), 1, EntryInUse,
                      static_cast<int16_t>(characters + 1)};
  ++heap.inUse;
  return handle;
}

void FreeHandle(StringWord handle) {
  Heap& heap = TheHeap();
  StringEntry& entry = EntryOf(handle);
  GuardedFree(reinterpret_cast<char*>(entry.data));
  entry = StringEntry{heap.freeHead, 0, 0, 0};
  --heap.inUse;
  heap.freeHead = handle;
}

void AddReference(StringWord handle) {
  Heap& heap = TheHeap();
  StringEntry& entry = EntryOf(handle);
  if (entry.references == 0) Fail("string heap: refcount error");
  if (entry.references >= MaxReferences) Fail("string heap: refcount overflow");
  ++entry.references;
  if (entry.references > heap.highestReferences) heap.highestReferences = entry.references;
}

void CheckStringHeap() {
  Heap& heap = TheHeap();
  std::lock_guard guard(heap.lock);
  if (heap.freeHead != 0 && !IsHandle(heap.freeHead)) Fail("CORRUPT STRING HEAP");
  uint32_t links = 0;
  for (StringWord link = heap.freeHead; link != 0;) {
    if (!IsHandle(link) || IndexOf(link) >= heap.fresh) Fail("CORRUPT STRING HEAP (bad free chain)");
    if (++links > heap.count) Fail("CORRUPT STRING HEAP (free chain loop)");
    StringEntry& entry = heap.table[IndexOf(link)];
    entry.flags |= EntryMarked;
    link = entry.data;
  }
  for (uint32_t i = 0; i < heap.fresh; ++i) {
    StringEntry& entry = heap.table[i];
    if (entry.flags & EntryMarked) {
      entry.flags &= ~EntryMarked;
      if (entry.flags & EntryInUse) Fail("CORRUPT STRING HEAP (used block in free chain)");
      if (entry.references != 0) Fail("CORRUPT STRING HEAP (referenced block in free chain)");
      if (entry.length != 0) Fail("CORRUPT STRING HEAP (non-empty block in free chain)");
    } else {
      if (entry.data == 0) Fail("CORRUPT STRING HEAP (used block data is zero)");
      if (IsHandle(entry.data)) Fail("CORRUPT STRING HEAP (used block data is pointing into table)");
      if (!(entry.flags & EntryInUse)) Fail("CORRUPT STRING HEAP (free block in use)");
      if (entry.references == 0) Fail("CORRUPT STRING HEAP (unreferenced block in use)");
      if (entry.length < 0) Fail("CORRUPT STRING HEAP (empty block in use)");
    }
  }
}

StringHeapStatistics GetStringHeapStatistics() {
  Heap& heap = TheHeap();
  std::lock_guard guard(heap.lock);
  return {heap.count, heap.inUse, heap.liveBlockCount, heap.liveBytes};
}
