// The reference-counted store behind String. A heap string is a handle: an index
// into one table of block entries, each pointing at a guarded data block whose
// usable size is a 32-byte class, so that appending rarely moves the text. Freed
// entries form a chain and are reused last-freed first; the table grows in steps
// of 1,000,000 entries and never shrinks. Every error ends the program through
// RunTimeError with SourcePosition.
//
// Callers of everything below except CheckStringHeap and the statistics hold
// StringHeapLock().
#pragma once

#include <cstdint>
#include <mutex>

using StringWord = uintptr_t;

// Handles carry this tag in their top byte; constant text pointers never do.
inline constexpr StringWord HandleTag = StringWord{0xFF} << 56;
inline constexpr uint32_t MaxTableEntries = 1u << 24;
inline constexpr uint32_t TableStep = 1'000'000;
inline constexpr int MaxStringLength = 32766;

inline bool IsHandle(StringWord word) { return (word & HandleTag) == HandleTag; }

struct StringEntry {
  StringWord data;      // the data block in use; the next free handle while free
  uint16_t references;  // 1 to 0x7FFF in use, 0 free
  uint8_t flags;        // bit 0 in use; bit 7 marks free-chain members during a check
  int16_t length;       // characters + 1; 0 when free
};
inline constexpr uint8_t EntryInUse = 0x01;
inline constexpr uint8_t EntryMarked = 0x80;
inline constexpr uint16_t MaxReferences = 0x7FFF;

std::recursive_mutex& StringHeapLock();

// The usable size of the data block of a string of `characters` characters.
inline int BlockSizeFor(int characters) { return (characters & ~31) + 32; }

StringEntry& EntryOf(StringWord handle);
// A new entry with one reference and a zero-filled block for `characters` characters.
StringWord NewHandle(int characters);
// The reference count has reached zero: free the block and chain the entry.
void FreeHandle(StringWord handle);
void AddReference(StringWord handle);

// Guarded blocks: header, zero-filled payload, guard byte; checked when freed.
char* GuardedAllocate(int size);
void GuardedFree(char* payload);

void CheckStringHeap();

struct StringHeapStatistics {
  uint32_t tableEntries;
  uint32_t entriesInUse;
  uint32_t liveBlocks;
  uint64_t liveBytes;
};
StringHeapStatistics GetStringHeapStatistics();

// Creates the heap now rather than at first use (the start-up path does this).
void CreateStringHeap();
