#include "ops/pc_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "generic/string_utility.h"
#include "runtime/files.h"
#include "runtime/replace_file.h"

namespace {

String Fault(const char* what, const String& name, std::string_view reason) {
  String fault = Concatenate(what, name);
  fault.Append(": ");
  fault.Append(reason);
  return fault;
}

}  // namespace

bool ReadPcFile(const String& name, uint8_t* buffer, uint32_t capacity, uint32_t& length, String& fault) {
  length = 0;
  struct stat status {};
  if (stat(NativeName(name).Data(), &status) != 0) {
    fault = Fault("Cannot open file ", name, std::strerror(errno));
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    fault = Fault("Cannot read file ", name, "it is not a regular file (a device, a FIFO, a socket or a folder)");
    return false;
  }
  int descriptor = OpenRead(name);
  if (descriptor < 0) {
    fault = Fault("Cannot open file ", name, LastOsError().View());
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
      fault = Fault("Cannot read file ", name, LastOsError().View());
      ok = false;
      break;
    }
    if (got == 0) break;
    if (length >= capacity) {
      fault = Fault("Cannot load file ", name, "it is larger than the ");
      fault.Append(IntText(capacity).View());
      fault.Append(" bytes a unit takes");
      // Nothing was sent: a setup cut short would load as a different one.
      ok = false;
      break;
    }
    length += static_cast<uint32_t>(got);
  }
  CloseDescriptor(descriptor);
  if (ok && length == 0) {
    fault = Fault("Cannot load file ", name, "it is empty");
    ok = false;
  }
  if (!ok) length = 0;
  return ok;
}

bool WritePcFile(const String& name, const uint8_t* data, uint32_t length, String& fault) {
  return ReplaceFile(name, data, length, DocumentMode, fault);
}
