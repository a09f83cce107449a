#include "transfer/image_catalogue.h"

#include "runtime/log.h"
#include "transfer/image_files.h"

namespace {

constexpr int8_t McuLpc2478 = 3;
constexpr int8_t McuLpc4078 = 4;
constexpr int8_t McuLpc1768 = 5;
constexpr int8_t McuLpc4337 = 6;
constexpr int8_t McuLpc4357 = 7;
constexpr int8_t AnyUnitType = 0;

// One row per MCU and unit type. A programmer row stands for four files: normal and
// LARGE, for boot loader versions 3 and 4.
struct ImageRow {
  int8_t mcu;
  int8_t unittype;
  const char* model;
};

constexpr ImageRow ProgrammerRows[] = {
    {McuLpc2478, AnyUnitType, "KD5"},     {McuLpc1768, UnitTransmitter, "KT5"}, {McuLpc1768, UnitRemoteIo, "KR5"},
    {McuLpc4078, AnyUnitType, "KT5"},     {McuLpc4357, UnitDisplay, "KD5"},     {McuLpc4337, UnitDisplay, "KD6"},
    {McuLpc4337, UnitTransmitter, "KT7"},
};

constexpr ImageRow BootLoaderRows[] = {
    {McuLpc2478, AnyUnitType, "KD5"},     {McuLpc1768, UnitTransmitter, "KT5"}, {McuLpc1768, UnitRemoteIo, "KR5"},
    {McuLpc4078, AnyUnitType, "KT5"},     {McuLpc4337, UnitDisplay, "KD6"},     {McuLpc4337, UnitTransmitter, "KT7"},
    {McuLpc4357, UnitDisplay, "KD5"},
};

struct SoftwareRow {
  ImageRow image;
  uint32_t checksum;
  uint16_t crc;
};

constexpr SoftwareRow SoftwareRows[] = {
    {{McuLpc2478, UnitDisplay, "KD5"}, 0x7193221F, 0x304A},
    {{McuLpc4357, UnitDisplay, "KD5"}, 0xDFF7C009, 0x3C08},
    {{McuLpc4337, UnitDisplay, "KD6"}, 0x1CD6C5F0, 0x26D1},
    {{McuLpc1768, UnitTransmitter, "KT5"}, 0xAA30E654, 0x5F8A},
    {{McuLpc4078, UnitTransmitter, "KT5"}, 0xC1408AF7, 0xB2D1},
    {{McuLpc4337, UnitTransmitter, "KT7"}, 0x20513140, 0xC139},
    {{McuLpc1768, UnitRemoteIo, "KR5"}, 0x46199722, 0x687D},
};

bool Matches(const ImageRow& row, const UnitInfo& unit) {
  return row.mcu == unit.mcu && (row.unittype == AnyUnitType || row.unittype == unit.unittype);
}

template <size_t N>
const ImageRow* FindRow(const ImageRow (&rows)[N], const UnitInfo& unit) {
  for (const ImageRow& row : rows) {
    if (Matches(row, unit)) return &row;
  }
  return nullptr;
}

const SoftwareRow* FindSoftwareRow(const UnitInfo& unit) {
  for (const SoftwareRow& row : SoftwareRows) {
    if (Matches(row.image, unit)) return &row;
  }
  return nullptr;
}

// "<kind>-<model>-<MCU>" and what follows.
String FileName(std::string_view kind, const ImageRow& row, std::string_view rest) {
  String name = Concatenate(kind, "-");
  name.Append(row.model);
  name.Append('-');
  name.Append(McuName(row.mcu));
  name.Append(rest);
  return name;
}

[[noreturn]] void UnsupportedUnit(int number) {
  String message = "Unsupported unit L";
  StringStream out(message);
  PutInt(out, number);
  FatalError(message);
}

void Debug(std::string_view text) { PutText(DebugStream, text); }

bool HasCatalogueMcu(const UnitInfo& unit) { return unit.mcu >= McuLpc2478 && unit.mcu <= McuLpc4357; }

// The programmer row of a unit of a catalogue MCU; a unit the catalogue has none for
// ends the program.
const ImageRow& ProgrammerRow(const UnitInfo& unit, bool large) {
  if (unit.bootversion != 3 && unit.bootversion != 4) {
    FatalError("Quarnet cannot update this unit: unsupported boot loader version");
  }
  const ImageRow* row = FindRow(ProgrammerRows, unit);
  if (row == nullptr && unit.mcu == McuLpc1768) {
    UnsupportedUnit(unit.bootversion == 3 ? (large ? 1032 : 1045) : (large ? 1091 : 1104));
  }
  if (row == nullptr) {
    FatalError(unit.mcu == McuLpc4357 ? "Unknown unit type (MCU LPC4357)" : "Unknown unit type (MCU LPC4337)");
  }
  return *row;
}

String ProgrammerFileName(const ImageRow& row, bool large, int bootVersion) {
  String rest = String::Constant(large ? "-large-C" : "-normal-C");
  rest.Append(static_cast<char>('0' + bootVersion));
  rest.Append(".img");
  return FileName("programmer", row, rest);
}

// The boot loader row of a unit of a catalogue MCU: nullptr when there is none, which
// the caller decides on; an unsupported unit type ends the program.
const ImageRow* BootLoaderRow(const UnitInfo& unit) {
  const ImageRow* row = FindRow(BootLoaderRows, unit);
  if (row == nullptr && unit.mcu == McuLpc1768) UnsupportedUnit(1551);
  if (row == nullptr && unit.mcu == McuLpc4337) UnsupportedUnit(1563);
  if (row == nullptr && unit.mcu == McuLpc4357) UnsupportedUnit(1574);
  return row;
}

}  // namespace

bool SelectFlashProgrammer(UnitInfo& unit) {
  unit.ProgrammerImage = ImageSlot{};
  if (HasCatalogueMcu(unit)) {
    bool large = unit.buffersize >= 129;
    const ImageRow& row = ProgrammerRow(unit, large);
    Debug("-- selected flash programmer for ");
    Debug(row.model);
    Debug(" ");
    Debug(McuName(row.mcu));
    if (large) Debug(" LARGE");
    Debug(" C");
    PutInt(DebugStream, unit.bootversion);
    Debug("\r\n");
    if (large && unit.mcu == McuLpc1768) Debug("-- using large packet flash programmer\r\n");
    unit.ProgrammerImage = RequireDownloadImage(ProgrammerFileName(row, large, unit.bootversion));
  }
  if (unit.ProgrammerImage.data == nullptr) FatalError("Cannot find a flash programmer for unit");
  return true;
}

bool SelectBootLoader(UnitInfo& unit) {
  unit.BootLoaderImage = ImageSlot{};
  if (!HasCatalogueMcu(unit)) return false;
  const ImageRow* row = BootLoaderRow(unit);
  if (row == nullptr) {
    Debug("-- Cannot find a Boot Loader for unit\r\n");
    return false;
  }
  unit.BootLoaderImage = RequireDownloadImage(FileName("bootloader", *row, ".img"));
  return true;
}

bool SelectSoftwareImage(UnitInfo& unit) {
  unit.SoftwareImage = ImageSlot{};
  switch (unit.unittype) {
    case UnitDisplay: Debug("-- selected unit is a Display\r\n"); break;
    case UnitTransmitter: Debug("-- selected unit is a Transmitter\r\n"); break;
    case UnitRemoteIo: Debug("-- selected unit is a IOUnit\r\n"); break;
  }
  const SoftwareRow* row = FindSoftwareRow(unit);
  if (row == nullptr) FatalError("No new software can be found for this unit");
  unit.SoftwareImage = RequireDownloadImage(FileName("software", row->image, ".img"));
  return true;
}

bool ExpectedSoftwareChecks(const UnitInfo& unit, uint32_t& checksum, uint16_t& crc) {
  const SoftwareRow* row = FindSoftwareRow(unit);
  if (row == nullptr) return false;
  checksum = row->checksum;
  crc = row->crc;
  return true;
}

void RequireUpdateImages(const UnitInfo& unit) {
  if (!HasCatalogueMcu(unit)) return;
  // The packet size is known only once the boot loader reports its buffer, and the
  // boot loader version only from software 6.00 on: every file the choice may fall on.
  bool versionKnown = unit.bootversion != 0;
  if (versionKnown) ProgrammerRow(unit, false);
  for (int version = 3; version <= 4; ++version) {
    if (versionKnown && version != unit.bootversion) continue;
    UnitInfo asked = unit;
    asked.bootversion = static_cast<int8_t>(version);
    for (bool large : {false, true}) {
      RequireDownloadImage(ProgrammerFileName(ProgrammerRow(asked, large), large, version));
    }
  }
  if (const ImageRow* row = BootLoaderRow(unit)) RequireDownloadImage(FileName("bootloader", *row, ".img"));
  const SoftwareRow* software = FindSoftwareRow(unit);
  if (software == nullptr) FatalError("No new software can be found for this unit");
  RequireDownloadImage(FileName("software", software->image, ".img"));
}
