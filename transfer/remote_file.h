// Files on a unit's drives, read and written from the tool. Drive 1 is the unit's flash
// file system, 177 a KD6's resource pack, 193 takes update programmers. Opening,
// creating, closing and the attributes are ordinary calls (function 0x45); the data
// travels in 128-byte blocks (function 0x47, or 0x48 when the local unit relays the
// writes to the unit behind it) with up to 8 requests in flight, their replies matched
// by file offset, so that the line never waits for a unit's turn-around.
//
// One file is open at a time: the open-file state and its ring are program-wide. Every
// call returns a success flag; those with a result byte pass it out, and their callers
// count success with result 0 as done.
#pragma once

#include <cstdint>

#include "generic/aarray.h"

inline constexpr int RemoteFileWindow = 8;  // requests in flight
inline constexpr int RemoteFileRingSize = RemoteFileWindow + 1;
inline constexpr int RemoteFileBlock = 128;  // data bytes of one request

inline constexpr uint8_t FunctionFileBlock = 0x47;
inline constexpr uint8_t FunctionRelayedFileBlock = 0x48;

struct RemoteFileSlot {
  uint32_t offset;
  uint8_t data[RemoteFileBlock];
  uint8_t count;
  bool received;
};

struct RemoteFileState {
  bool reading;  // opened with OpenFile
  bool writing;  // created with CreateFile
  bool relayed;  // the open asked for the relayed write form
  RemoteFileSlot ring[RemoteFileRingSize];
  int head;  // head == tail: empty
  int tail;
  int outstanding;
  uint32_t nextReadOffset;
  uint32_t lastAckOffset;  // of the last acknowledgement packet received, for the log
};
extern RemoteFileState RemoteFile;

// The attributes a unit reports of a file; the properties are an associative array in
// its stored form, the file's CRC under key 1.
struct FileAttributes {
  uint32_t size;
  uint32_t checksums[4];
  AArray properties;
};

bool OpenFile(uint8_t address, uint8_t drive, uint16_t file, bool relayed, uint8_t& result);
bool CreateFile(uint8_t address, uint8_t drive, uint16_t file, bool relayed, uint8_t& result);
// `count`: on entry the room at `data` (128), on return the bytes delivered, 0 at the
// end of the file. Reads must go forward from offset 0 in steps of what was delivered.
bool ReadFileRemote(uint8_t address, uint8_t drive, uint16_t file, uint32_t offset, uint8_t* data, int& count);
// Up to 128 bytes. A true return means the write is on its way; only FlushFileRemote
// and CloseFile say that everything arrived.
bool WriteFileRemote(uint8_t address, uint8_t drive, uint16_t file, uint32_t offset, int count,
                     const uint8_t* data);
bool FlushFileRemote(uint8_t address, uint8_t drive, uint16_t file, uint8_t& result);
// Fewer than 240 property bytes; more is a program error.
bool SetFileProperties(uint8_t address, uint8_t drive, uint16_t file, const AArray& properties);
// Finishes the reads and writes in flight first.
bool CloseFile(uint8_t address, uint8_t drive, uint16_t file, uint8_t& result);
// `newSize`: the size of the file the caller means to write in its place.
bool GetFileAttributes(uint8_t address, uint8_t drive, uint16_t file, uint32_t newSize, uint8_t& result,
                       FileAttributes& attributes);
