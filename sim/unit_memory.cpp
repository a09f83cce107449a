#include "sim/unit_memory.h"

#include <algorithm>

namespace {

constexpr uint32_t BankSize = 1u << 24;
constexpr uint32_t BootSectors = 0x4000;

uint8_t BankOf(uint32_t address) { return static_cast<uint8_t>(address >> 24); }
uint32_t OffsetOf(uint32_t address) { return address & (BankSize - 1); }

// The bank, grown to hold `end` bytes.
MemoryBank& Reach(Memory& memory, uint8_t bank, uint32_t end) {
  MemoryBank& found = memory.banks[bank];
  if (found.bytes.size() < end) {
    found.bytes.resize(end, 0xFF);
    found.cells.resize(end, Cell::Old);
  }
  return found;
}

bool WithinBank(uint32_t address, size_t length) {
  return length > 0 && OffsetOf(address) + length <= BankSize;
}

}  // namespace

uint32_t SoftwareStart(uint8_t mcu) {
  switch (mcu) {
    case 3:  // LPC2478
    case 4:  // LPC4078
    case 5:  // LPC1768
      return 0x4000;
    case 6:  // LPC4337
    case 7:  // LPC4357
      return 0x1A004000;
  }
  return 0;
}

bool WriteRam(Memory& ram, uint32_t address, std::span<const uint8_t> data) {
  if (!WithinBank(address, data.size())) return false;
  uint32_t offset = OffsetOf(address);
  MemoryBank& bank = Reach(ram, BankOf(address), offset + static_cast<uint32_t>(data.size()));
  std::copy(data.begin(), data.end(), bank.bytes.begin() + offset);
  std::fill_n(bank.cells.begin() + offset, data.size(), Cell::Written);
  return true;
}

bool RamHolds(const Memory& ram, uint32_t address) {
  auto bank = ram.banks.find(BankOf(address));
  uint32_t offset = OffsetOf(address);
  return bank != ram.banks.end() && offset < bank->second.cells.size() &&
         bank->second.cells[offset] == Cell::Written;
}

bool EraseFlash(UnitFlash& flash, uint8_t mcu, uint32_t first, uint32_t last) {
  if (last < first || BankOf(first) != BankOf(last)) return false;
  MemoryBank& bank = Reach(flash.memory, BankOf(first), OffsetOf(last) + 1);
  std::fill(bank.bytes.begin() + OffsetOf(first), bank.bytes.begin() + OffsetOf(last) + 1, 0xFF);
  std::fill(bank.cells.begin() + OffsetOf(first), bank.cells.begin() + OffsetOf(last) + 1, Cell::Erased);
  uint32_t start = SoftwareStart(mcu);
  if (start != 0 && BankOf(first) == BankOf(start) && last >= start) {
    flash.softwareErased = true;
    if (first == start) flash.rangeFromStart = true;
  }
  return true;
}

uint8_t WriteFlash(UnitFlash& flash, uint32_t address, std::span<const uint8_t> data) {
  if (!WithinBank(address, data.size())) return FlashBeyondBank;
  uint32_t offset = OffsetOf(address);
  MemoryBank& bank = Reach(flash.memory, BankOf(address), offset + static_cast<uint32_t>(data.size()));
  auto cells = bank.cells.begin() + offset;
  bool bootSectors = offset + data.size() <= BootSectors;
  if (!bootSectors && !std::all_of(cells, cells + static_cast<long>(data.size()),
                                   [](Cell cell) { return cell == Cell::Erased; })) {
    return FlashNotErased;
  }
  std::copy(data.begin(), data.end(), bank.bytes.begin() + offset);
  std::fill_n(cells, data.size(), Cell::Written);
  return 0;
}

SoftwareState CheckSoftware(const UnitFlash& flash, uint8_t mcu) {
  if (!flash.softwareErased) return SoftwareState::Untouched;
  uint32_t start = SoftwareStart(mcu);
  const MemoryBank& bank = flash.memory.banks.at(BankOf(start));
  auto software = bank.cells.begin() + OffsetOf(start);
  bool anyWritten = std::find(software, bank.cells.end(), Cell::Written) != bank.cells.end();
  bool anyErased = std::find(software, bank.cells.end(), Cell::Erased) != bank.cells.end();
  if (!anyWritten) return SoftwareState::Missing;
  return flash.rangeFromStart && !anyErased ? SoftwareState::Complete : SoftwareState::Broken;
}

void SoftwareAccepted(UnitFlash& flash) {
  flash.softwareErased = false;
  flash.rangeFromStart = false;
}
