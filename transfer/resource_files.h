// The resource files a unit family's software needs (language files, the image
// file, fonts, fieldbus description templates), in the order they are sent. Their
// bytes are opaque: only the length and the file number matter to the tool.
//
// The KD6 takes its image file and fonts as one ResourcePack: for each file its
// number (2 bytes), length (4), bytes and CRC-16/MODBUS (low byte first), then two
// zero bytes, the whole buffer inverted bit for bit. It goes to drive 177, file 0;
// an update file carries it inverted back, as file 260 on drive 1.
#pragma once

#include <cstdint>
#include <vector>

#include "protocol/unit_info.h"

inline constexpr int MaxResourceFiles = 28;
inline constexpr uint8_t ResourceDrive = 1;
inline constexpr uint8_t ResourcePackDrive = 177;
inline constexpr uint16_t ResourcePackFile = 0;
inline constexpr uint32_t ResourcePackCapacity = 0x400001;

struct ResourceFile {
  uint16_t fileNumber;
  uint8_t drive;
  ImageSlot bytes;
};

struct ResourceFileList {
  int count;
  ResourceFile files[MaxResourceFiles];
};

// Empty for a card without resource files. A file of the image folder that cannot
// be read ends the program, naming it.
ResourceFileList ResourceFileSet(int cardNumber, int mcu);

// The inverted ResourcePack of `files` into `pack`. Files beyond the pack's capacity
// end the program.
void BuildResourcePack(const ResourceFile* files, int count, std::vector<uint8_t>& pack);
