#include "ui/tool/pc_files.h"

#include <algorithm>

#include "runtime/console_streams.h"
#include "runtime/files.h"
#include "runtime/stream.h"

namespace {

void Complain(const char* what, const String& name) {
  PutText(StandardError, "\r\n");
  PutText(StandardError, what);
  PutString(StandardError, name);
  PutText(StandardError, ": ");
  PutString(StandardError, LastOsError());
  PutText(StandardError, "\r\n");
}

}  // namespace

bool ReadPcFile(const String& name, uint8_t* buffer, uint32_t capacity, uint32_t& length) {
  length = 0;
  int descriptor = OpenRead(name);
  if (descriptor < 0) {
    Complain("Cannot open file: ", name);
    return false;
  }
  bool ok = true;
  for (;;) {
    uint8_t spare;
    // One byte more than fits tells a full buffer from a file that is larger.
    void* into = length < capacity ? static_cast<void*>(buffer + length) : static_cast<void*>(&spare);
    int room = length < capacity ? static_cast<int>(std::min<uint32_t>(capacity - length, 1u << 20)) : 1;
    int got = ReadBytes(descriptor, into, room);
    if (got < 0) {
      Complain("Cannot read file: ", name);
      ok = false;
      break;
    }
    if (got == 0) break;
    if (length >= capacity) {
      PutText(StandardError, "\r\nFile is larger than the transfer buffer: ");
      PutString(StandardError, name);
      PutText(StandardError, "\r\n");
      ok = false;
      break;
    }
    length += static_cast<uint32_t>(got);
  }
  CloseDescriptor(descriptor);
  if (!ok) length = 0;
  return ok;
}

bool WritePcFile(const String& name, const uint8_t* data, uint32_t length) {
  String temporary = name;
  temporary += ".partial";
  int descriptor = CreateWrite(temporary, true);
  if (descriptor < 0) {
    Complain("Cannot create file: ", name);
    return false;
  }
  uint32_t written = 0;
  while (written < length) {
    int count = WriteBytes(descriptor, data + written, static_cast<int>(std::min<uint32_t>(length - written, 1u << 20)));
    if (count <= 0) break;
    written += static_cast<uint32_t>(count);
  }
  CloseDescriptor(descriptor);
  if (written != length) {
    Complain("Cannot write file: ", name);
    DeleteFile(temporary);
    return false;
  }
  if (!RenameFile(temporary, name)) {
    Complain("Cannot replace file: ", name);
    DeleteFile(temporary);
    return false;
  }
  return true;
}
