// The memory of a simulated unit that the tool writes into: the RAM a flash
// programmer is downloaded into, and the MCU flash the programmer erases and
// writes. Both are kept as banks of 16 MB (the top byte of an address), each byte
// with its state, grown only as far as they are used.
//
// Flash rules: a byte is written only once after an erase of it; the boot loader's
// sectors (below 0x4000 of a bank) the programmer erases itself as it writes them.
// The software is known good again only when one erase began at the software's start
// and every byte of that range was written afterwards.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "sim/frame.h"

enum class Cell : uint8_t { Old, Erased, Written };  // Old: what the unit held before

struct MemoryBank {
  Bytes bytes;
  std::vector<Cell> cells;
};

struct Memory {
  std::map<uint8_t, MemoryBank> banks;
};

struct UnitFlash {
  Memory memory;
  bool softwareErased = false;  // an erase reached the software since it last ran
  bool rangeFromStart = false;  // and one of them began at the software's start
};

// Flash write results the programmer reports; 0 is success.
inline constexpr uint8_t FlashNotErased = 0x02;
inline constexpr uint8_t FlashBeyondBank = 0x03;

// Where an MCU's software starts in flash; 0 for MCUs without a flash programmer.
uint32_t SoftwareStart(uint8_t mcu);

// False for data that would leave its bank.
bool WriteRam(Memory& ram, uint32_t address, std::span<const uint8_t> data);
bool RamHolds(const Memory& ram, uint32_t address);

// False for a range that is reversed or leaves its bank.
bool EraseFlash(UnitFlash& flash, uint8_t mcu, uint32_t first, uint32_t last);
uint8_t WriteFlash(UnitFlash& flash, uint32_t address, std::span<const uint8_t> data);

enum class SoftwareState { Untouched, Complete, Missing, Broken };
// What the boot loader finds when it checks the software before starting it.
SoftwareState CheckSoftware(const UnitFlash& flash, uint8_t mcu);
// The new software has started: it is what the unit holds from now on.
void SoftwareAccepted(UnitFlash& flash);
