#include "sim/update_files.h"

#include "sim/file_checks.h"
#include "sim/new_software.h"

namespace {

uint32_t Fold(uint32_t sum) { return (sum & 0xFFFF) + (sum >> 16); }

uint32_t BigEndian(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (uint8_t byte : bytes) value = value << 8 | byte;
  return value;
}

// The body of an update file whose trailer of `size` bytes holds `check` of it; false
// when the file is too short or the trailer does not match.
template <typename Check>
bool CheckedBody(const Bytes& file, size_t size, Check check, std::span<const uint8_t>& body) {
  if (file.size() < size) return false;
  body = std::span<const uint8_t>(file.data(), file.size() - size);
  return BigEndian(std::span<const uint8_t>(file).last(size)) == check(body);
}

const Bytes* Find(const SimUnit& unit, uint8_t drive, uint16_t file) {
  auto found = unit.files.find({drive, file});
  return found == unit.files.end() ? nullptr : &found->second.data;
}

bool FletcherChecked(const SimUnit& unit, uint16_t file) {
  std::span<const uint8_t> body;
  const Bytes* bytes = Find(unit, FlashDrive, file);
  return bytes != nullptr && CheckedBody(*bytes, 4, UpdateFileFletcher, body);
}

}  // namespace

uint32_t UpdateFileFletcher(std::span<const uint8_t> bytes) {
  uint32_t sum1 = 0xFFFF;
  uint32_t sum2 = 0xFFFF;
  size_t words = (bytes.size() + 1) / 2;
  for (size_t i = 0; i < words; ++i) {
    uint32_t high = bytes[2 * i];
    uint32_t low = 2 * i + 1 < bytes.size() ? bytes[2 * i + 1] : 0;
    sum1 += high << 8 | low;
    sum2 += sum1;
    if ((i + 1) % 359 == 0) {
      sum1 = Fold(sum1);
      sum2 = Fold(sum2);
    }
  }
  sum1 = Fold(Fold(sum1));
  sum2 = Fold(Fold(sum2));
  return sum2 << 16 | sum1;
}

std::vector<std::string> ApplyUpdateFiles(SimUnit& unit) {
  std::vector<std::string> notes;
  const Bytes* programmer = Find(unit, ProgrammerDrive, 0);
  if (programmer == nullptr) return notes;
  std::span<const uint8_t> body;
  if (!CheckedBody(*programmer, 2, [](std::span<const uint8_t> bytes) { return uint32_t{UnitFileCrc(bytes)}; }, body)) {
    notes.push_back("the update programmer fails its CRC, nothing applied");
    unit.files.erase({ProgrammerDrive, 0});
    return notes;
  }
  if (!unit.description.appliesUpdates) {
    notes.push_back("the update programmer refuses the update files, nothing applied");
    for (uint16_t file : {BootLoaderUpdateFile, SoftwareUpdateFile, ResourcePackUpdateFile}) {
      unit.files.erase({FlashDrive, file});
    }
    unit.files.erase({ProgrammerDrive, 0});
    return notes;
  }
  UnitIdentity& identity = unit.description.identity;
  if (Find(unit, FlashDrive, BootLoaderUpdateFile) != nullptr) {
    bool good = FletcherChecked(unit, BootLoaderUpdateFile);
    notes.push_back(good ? "new boot loader applied" : "the boot loader update fails its checksum, not applied");
  }
  if (Find(unit, FlashDrive, SoftwareUpdateFile) != nullptr) {
    if (FletcherChecked(unit, SoftwareUpdateFile)) {
      RunNewSoftware(identity);
      notes.push_back("new software applied");
    } else {
      notes.push_back("the software update fails its checksum, the old software stays");
    }
  }
  if (const Bytes* pack = Find(unit, FlashDrive, ResourcePackUpdateFile)) {
    Bytes inverted(*pack);
    for (uint8_t& byte : inverted) byte = static_cast<uint8_t>(~byte);
    unit.files[{PackDrive, 0}] = SimFile{std::move(inverted), {}};
    notes.push_back("new resource pack applied");
  }
  for (uint16_t file : {BootLoaderUpdateFile, SoftwareUpdateFile, ResourcePackUpdateFile}) {
    unit.files.erase({FlashDrive, file});
  }
  unit.files.erase({ProgrammerDrive, 0});
  return notes;
}
