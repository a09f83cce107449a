#include "transfer/image_files.h"

#include <map>
#include <string>
#include <vector>

#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/path.h"
#include "runtime/program_state.h"
#include "runtime/user_folders.h"
#include "transfer/download_image.h"

namespace {

// Far above the largest image a unit's flash can hold: a larger file is the wrong file.
constexpr size_t LargestImageFile = 16 * 1024 * 1024;

// Full path → bytes. The vectors never change once kept, so pointers into them last.
std::map<std::string, std::vector<uint8_t>> loaded;

bool ReadWholeFile(const String& path, std::vector<uint8_t>& bytes, String& fault) {
  int descriptor = OpenRead(path);
  if (descriptor < 0) {
    fault = Concatenate("Cannot read image file ", path);
    fault.Append(": ");
    fault.Append(LastOsError());
    return false;
  }
  uint8_t chunk[65536];
  int got;
  while ((got = ReadBytes(descriptor, chunk, sizeof chunk)) > 0 && bytes.size() <= LargestImageFile) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (got < 0) {
    fault = Concatenate("Cannot read image file ", path);
    fault.Append(": ");
    fault.Append(LastOsError());
  } else if (bytes.size() > LargestImageFile) {
    fault = Concatenate("Image file ", path);
    fault.Append(" is larger than 16 MB");
  } else if (bytes.empty()) {
    fault = Concatenate("Image file ", path);
    fault.Append(" is empty");
  }
  CloseDescriptor(descriptor);
  return fault.Empty();
}

ImageSlot Require(std::string_view fileName, bool downloadImage) {
  ImageSlot slot{};
  String fault;
  if (!LoadImageFile(fileName, downloadImage, slot, fault)) {
    fault.Append(". ");
    fault.Append(ImageFolderAdvice());
    FatalError(fault);
  }
  return slot;
}

}  // namespace

namespace {

// The candidates, in the order they are tried.
std::vector<String> ImageFolderSearch() {
  String named = GetEnvironment("VELANTORIMAGEDIR");
  if (!named.Empty()) return {named};
  // Without a program name (a test's process) the folder is the working folder's.
  bool hasName = ArgCount > 0 && ArgList[0] != nullptr;
  String program = hasName ? FullPath(String::Constant(ArgList[0])) : String();
  std::vector<String> folders;
  // Installed, the images are the package's read-only data: <prefix>/share/quarnet/images.
  if (hasName && ProgramIsInstalled(program)) {
    folders.push_back(Concatenate(AddSeparator(DirectoryPart(DirectoryPart(program))), "share/quarnet/images"));
  }
  String beside = hasName ? DirectoryPart(program) : CurrentDirectory();
  folders.push_back(Concatenate(AddSeparator(beside), "images"));
  return folders;
}

}  // namespace

String ImageFolder() {
  std::vector<String> folders = ImageFolderSearch();
  for (const String& folder : folders) {
    if (FolderExists(folder)) return folder;
  }
  return folders.front();
}

String ImageFolderAdvice() {
  String advice = "The image folders searched: ";
  if (GetEnvironment("VELANTORIMAGEDIR").Empty()) advice.Append("VELANTORIMAGEDIR (not set), ");
  std::vector<String> folders = ImageFolderSearch();
  for (size_t i = 0; i < folders.size(); ++i) {
    if (i > 0) advice.Append(", ");
    advice.Append(folders[i]);
    if (!FolderExists(folders[i])) advice.Append(" (no such folder)");
  }
  advice.Append(". Put the unit maker's image files into one of them, or name their folder in VELANTORIMAGEDIR.");
  return advice;
}

bool LoadImageFile(std::string_view fileName, bool downloadImage, ImageSlot& slot, String& fault) {
  String path = Concatenate(AddSeparator(ImageFolder()), fileName);
  std::string key(FullPath(path).View());
  auto found = loaded.find(key);
  std::vector<uint8_t> bytes;
  if (found == loaded.end() && !ReadWholeFile(path, bytes, fault)) return false;
  const std::vector<uint8_t>& image = found == loaded.end() ? bytes : found->second;
  String formFault;
  if (downloadImage && !CheckDownloadImage(image.data(), static_cast<uint32_t>(image.size()), formFault)) {
    fault = Concatenate("Image file ", path);
    fault.Append(" is not a download image: ");
    fault.Append(formFault);
    return false;
  }
  // Only a usable file is kept: one mended while the program runs is read again.
  if (found == loaded.end()) found = loaded.emplace(key, std::move(bytes)).first;
  slot = ImageSlot{found->second.data(), static_cast<uint32_t>(found->second.size())};
  return true;
}

ImageSlot RequireDownloadImage(std::string_view fileName) { return Require(fileName, true); }

ImageSlot RequireResourceFile(std::string_view fileName) { return Require(fileName, false); }
