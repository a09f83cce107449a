// Replacing a file whole. The new content goes into a temporary file beside the
// target, created for this write alone (exclusively, never through a link someone
// left under its name), and is renamed over the target only once it is complete and
// on the disk: the target is whole, old or new, never half written. A target that is
// a link is followed to the file it names, which is replaced; a target that exists
// but is no regular file (a device, a FIFO, a socket, a folder) is refused and left
// as it is.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/string.h"

// Documents the operator keeps are readable as the umask allows; the program's own
// records stay private.
inline constexpr int DocumentMode = 0666;
inline constexpr int PrivateMode = 0600;

struct FileReplacement {
  String target;     // the file that will be replaced (a link followed)
  String temporary;  // where the content is written meanwhile
  int descriptor = -1;
};

// Prepares the replacement of `name`; false with the reason in `fault` (naming the
// file) when the target is no regular file or the temporary cannot be made.
bool BeginReplacement(const String& name, int mode, FileReplacement& file, String& fault);
// Writes all `length` bytes; false (with `fault`) when they could not be.
bool WriteReplacement(FileReplacement& file, const void* data, size_t length, String& fault);
// Puts the content under the target's name; false (with `fault`) leaves the target
// as it was and removes the temporary.
bool FinishReplacement(FileReplacement& file, String& fault);
// Removes the temporary; the target stays as it was.
void AbandonReplacement(FileReplacement& file);

// The whole content at once.
bool ReplaceFile(const String& name, const uint8_t* data, size_t length, int mode, String& fault);
