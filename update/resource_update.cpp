#include "update/resource_update.h"

#include <vector>

#include "protocol/loader_procedures.h"
#include "runtime/log.h"
#include "runtime/operation_progress.h"
#include "transfer/file_sending.h"
#include "transfer/image_catalogue.h"
#include "transfer/programmer_download.h"
#include "transfer/resource_files.h"

namespace {

constexpr int CardKd5 = 647;
constexpr int CardKt5 = 648;
constexpr int CardKd6 = 653;
constexpr int CardKt7 = 659;
constexpr int8_t McuLpc2478 = 3;
constexpr uint16_t ResourcePackUpdateFile = 260;
constexpr uint8_t FileSystemArea = 1;

enum class Kind { Language, Image, Font, Template, Pack };

Kind KindOf(const ResourceFile& file) {
  if (file.drive == ResourcePackDrive) return Kind::Pack;
  if (file.fileNumber >= 480) return Kind::Language;
  if (file.fileNumber >= 448) return Kind::Font;
  if (file.fileNumber >= 432) return Kind::Template;
  return Kind::Image;
}

void PutFileLine(const char* label, uint16_t number, uint32_t length) {
  // "-- language file: $" names the activity as "language file $01E0".
  std::string_view name(label);
  name.remove_prefix(name.starts_with("-- ") ? 3 : 0);
  name.remove_suffix(name.ends_with(": $") ? 3 : 0);
  ProgressActivity(TextOf(name, " $", Hex{number, 4}));
  PutLine(DebugStream, label, Hex{number, 4}, "(", length, ")");
}

// Sends the file where the unit's copy differs; true when it was sent.
bool SendIfChanged(const UnitInfo& unit, const ResourceFile& file, const char* failure) {
  const ImageSlot& bytes = file.bytes;
  if (!FileNeedsUpdate(unit, file.drive, file.fileNumber, bytes.data, bytes.length, true)) return false;
  if (!SendFile(unit, file.drive, file.fileNumber, bytes.data, bytes.length, true)) FatalError(String::Constant(failure));
  return true;
}

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = value << 8 | static_cast<uint8_t>(~bytes[at + i]);
  return value;
}

// The pack's entries as the log names them: the image file first, then the fonts.
void PutPackLines(const ImageSlot& pack) {
  std::vector<uint8_t> bytes(pack.data, pack.data + pack.length);
  for (size_t at = 0; at + 6 <= bytes.size();) {
    uint16_t number = static_cast<uint16_t>(BigEndian(bytes, at, 2));
    uint32_t length = BigEndian(bytes, at + 2, 4);
    if (number == 0 && length == 0) break;
    PutFileLine(at == 0 ? "-- image file: $" : "-- font file: $", number, length);
    at += 8 + size_t{length};
  }
}

// The live pack on drive 177 is compared; an update file carries it inverted back.
bool UpdateResourcePack(const UnitInfo& unit, const ResourceFile& file, bool useUpdateFiles) {
  const ImageSlot& inverted = file.bytes;
  PutPackLines(inverted);
  ProgressActivity("resource pack");
  if (!FileNeedsUpdate(unit, ResourcePackDrive, ResourcePackFile, inverted.data, inverted.length, false)) return false;
  bool sent;
  if (useUpdateFiles) {
    std::vector<uint8_t> pack(inverted.data, inverted.data + inverted.length);
    for (uint8_t& byte : pack) byte = static_cast<uint8_t>(~byte);
    sent = SendFile(unit, ResourceDrive, ResourcePackUpdateFile, pack.data(), static_cast<uint32_t>(pack.size()), false);
  } else {
    sent = SendFile(unit, ResourcePackDrive, ResourcePackFile, inverted.data, inverted.length, false);
  }
  if (!sent) FatalError("Unable to write new file");
  return useUpdateFiles;
}

// Direct programming leaves the unit in its boot loader when nothing was flashed; its
// file requests need the flash programmer.
void PrepareFileService(UnitInfo& unit, bool useUpdateFiles) {
  if (useUpdateFiles || unit.unitmode == ModeProgrammer) return;
  if (!DownloadProgrammer(unit, unit.ProgrammerImage, "")) FatalError("Unable to download flash programmer");
  if (!SelectBootLoader(unit)) FatalError("Unknown velantor unit");
}

}  // namespace

bool UpdateResourceFiles(UnitInfo& unit, bool useUpdateFiles) {
  int card = unit.cardnumber;
  if (card != CardKt5 && card != CardKt7 && card != CardKd5 && card != CardKd6) return false;
  PrepareFileService(unit, useUpdateFiles);
  if (card == CardKd5 && unit.mcu == McuLpc2478 && unit.softwareversion < 600) {
    PutText(ReportStream, "Erasing files from old software version...\r\n");
    uint8_t result = 0;
    EraseFMS(unit, FileSystemArea, result);
  }
  ResourceFileList list = ResourceFileSet(card, unit.mcu);
  bool filesSent = false;
  for (int i = 0; i < list.count; ++i) {
    const ResourceFile& file = list.files[i];
    switch (KindOf(file)) {
      case Kind::Language:
        PutFileLine("-- language file: $", file.fileNumber, file.bytes.length);
        filesSent |= SendIfChanged(unit, file, "Unable to send language file");
        break;
      case Kind::Image:
        PutFileLine("-- image file: $", file.fileNumber, file.bytes.length);
        filesSent |= SendIfChanged(unit, file, "Unable to send images file");
        break;
      case Kind::Font:
        PutFileLine("-- font file: $", file.fileNumber, file.bytes.length);
        filesSent |= SendIfChanged(unit, file, "Unable to send font file");
        break;
      case Kind::Pack: filesSent |= UpdateResourcePack(unit, file, useUpdateFiles); break;
      case Kind::Template:
        PutFileLine("-- file: $", file.fileNumber, file.bytes.length);
        SendIfChanged(unit, file, "Unable to send file");
        break;
    }
  }
  return filesSent;
}
