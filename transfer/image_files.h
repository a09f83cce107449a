// The image folder: the flash programmers, boot loaders, unit software and resource
// files the tool writes into units, one file per catalogue entry, as the unit maker
// delivers them. The folder is $VELANTORIMAGEDIR when that is set; else the first
// that exists of <prefix>/share/quarnet/images (for an installed program) and
// "images" beside the program. A file is read once and kept for the rest of the run,
// so the image slots of unit records may point into it.
#pragma once

#include <string_view>

#include "protocol/unit_info.h"
#include "runtime/string.h"

String ImageFolder();
// Which folders were searched and what the operator can do, for a message about a
// missing image file.
String ImageFolderAdvice();

// The file's bytes; a download image is checked record by record first. False with
// a message naming the file in `fault`.
bool LoadImageFile(std::string_view fileName, bool downloadImage, ImageSlot& slot, String& fault);
// The same, but a file that cannot be used ends the program with that message:
// nothing has been sent to the unit yet.
ImageSlot RequireDownloadImage(std::string_view fileName);
ImageSlot RequireResourceFile(std::string_view fileName);
