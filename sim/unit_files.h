// The files a simulated unit keeps on its drives (drive 1 its flash file system, 177
// a KD6's resource pack, 193 the update programmer it is sent), and the file its
// program has open for the tool.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct SimFile {
  Bytes data;
  Bytes properties;  // the associative array the tool stored, byte for byte
};

// Drive and file number.
using FileKey = std::pair<uint8_t, uint16_t>;
using SimFiles = std::map<FileKey, SimFile>;

inline constexpr uint8_t FlashDrive = 1;
inline constexpr uint8_t PackDrive = 177;
inline constexpr uint8_t ProgrammerDrive = 193;

// One file open at a time, as on a unit. A restart closes it.
struct SimOpenFile {
  bool reading = false;
  bool writing = false;
  FileKey key{};
  uint32_t lastTaken = 0;   // the offset of the last write that lengthened the file
  int unacknowledged = 0;   // writes taken since the last acknowledgement
  uint64_t writeCount = 0;  // a later write cancels a pending acknowledgement of an earlier one
  uint64_t readCount = 0;
  Bytes heldRead;  // a read reply held back, to go out after the next one
  bool holding = false;
};
