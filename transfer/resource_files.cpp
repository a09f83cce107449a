#include "transfer/resource_files.h"

#include <map>
#include <string>

#include "generic/checksum.h"
#include "runtime/log.h"
#include "runtime/path.h"
#include "transfer/image_files.h"

namespace {

constexpr int LanguageIndexes[] = {0, 1, 2, 3, 5, 6, 10};
constexpr uint16_t FirstLanguageFile = 480;
constexpr uint16_t ImageFile = 256;
constexpr uint16_t FirstFontFile = 448;
constexpr int Kd5Fonts = 16;
constexpr int Kd6Fonts = 17;
constexpr uint16_t FirstTemplateFile = 432;
constexpr int Templates = 4;

// Packs by image folder: the list hands out pointers into them.
std::map<std::string, std::vector<uint8_t>> packs;

String Numbered(std::string_view stem, int number) {
  String name = String::Copy(stem);
  StringStream out(name);
  PutInt(out, number);
  PutText(out, ".res");
  return name;
}

void Add(ResourceFileList& list, uint16_t fileNumber, uint8_t drive, ImageSlot bytes) {
  list.files[list.count++] = ResourceFile{fileNumber, drive, bytes};
}

void AddFile(ResourceFileList& list, uint16_t fileNumber, std::string_view stem) {
  Add(list, fileNumber, ResourceDrive, RequireResourceFile(Numbered(stem, fileNumber)));
}

void AddLanguages(ResourceFileList& list, std::string_view family) {
  String stem = Concatenate("language-", family);
  stem.Append('-');
  for (int index : LanguageIndexes) AddFile(list, static_cast<uint16_t>(FirstLanguageFile + index), stem);
}

void AddTemplates(ResourceFileList& list) {
  for (int i = 0; i < Templates; ++i) AddFile(list, static_cast<uint16_t>(FirstTemplateFile + i), "template-");
}

void AddKd5Files(ResourceFileList& list) {
  AddFile(list, ImageFile, "image-KD5-");
  for (int i = 0; i < Kd5Fonts; ++i) AddFile(list, static_cast<uint16_t>(FirstFontFile + i), "font-KD5-");
  AddTemplates(list);
}

void AddKd6Pack(ResourceFileList& list) {
  std::vector<uint8_t>& pack = packs[std::string(FullPath(ImageFolder()).View())];
  if (pack.empty()) {
    ResourceFileList packed{};
    AddFile(packed, ImageFile, "image-KD6-");
    for (int i = 0; i < Kd6Fonts; ++i) AddFile(packed, static_cast<uint16_t>(FirstFontFile + i), "font-KD6-");
    BuildResourcePack(packed.files, packed.count, pack);
  }
  Add(list, ResourcePackFile, ResourcePackDrive, ImageSlot{pack.data(), static_cast<uint32_t>(pack.size())});
}

void AppendBigEndian(std::vector<uint8_t>& bytes, uint32_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

ResourceFileList ResourceFileSet(int cardNumber, int mcu) {
  ResourceFileList list{};
  switch (cardNumber) {
    case 648: AddLanguages(list, "KT5"); break;
    case 659: AddLanguages(list, "KT7"); break;
    case 647:
      AddLanguages(list, mcu == 3 ? "KD5-LPC2478" : "KD5");
      AddKd5Files(list);
      break;
    case 653:
      AddLanguages(list, "KD6");
      AddKd6Pack(list);
      AddTemplates(list);
      break;
  }
  return list;
}

void BuildResourcePack(const ResourceFile* files, int count, std::vector<uint8_t>& pack) {
  pack.clear();
  uint64_t room = ResourcePackCapacity;
  for (int i = 0; i < count; ++i) {
    const ImageSlot& file = files[i].bytes;
    if (room < uint64_t{file.length} + 8) FatalError("Cannot update unit resource file - too large");
    AppendBigEndian(pack, files[i].fileNumber, 2);
    AppendBigEndian(pack, file.length, 4);
    pack.insert(pack.end(), file.data, file.data + file.length);
    // CrcOf gives the register with its bytes swapped: written high byte first, the
    // register's low byte leads.
    AppendBigEndian(pack, CrcOf(std::string_view(reinterpret_cast<const char*>(file.data), file.length)), 2);
    room -= uint64_t{file.length} + 8;
  }
  if (room > 1) pack.insert(pack.end(), 2, 0);
  for (uint8_t& byte : pack) byte = static_cast<uint8_t>(~byte);
}
