#include "runtime/replace_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>

#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/process.h"

namespace {

String Failure(const char* what, const String& name, const String& reason) {
  String fault = Concatenate(what, name);
  fault.Append(": ");
  fault.Append(reason);
  return fault;
}

// A name beside the target that nobody else uses: the process, a count and the time.
std::string TemporaryName(const std::string& target) {
  static std::atomic<uint32_t> count{0};
  return target + ".partial-" + std::to_string(ProcessId()) + "-" + std::to_string(count++) + "-" +
         std::to_string(Microseconds() % 1000000);
}

}  // namespace

bool BeginReplacement(const String& name, int mode, FileReplacement& file, String& fault) {
  file = FileReplacement{};
  String target;
  if (!FollowLinks(name, target)) {
    fault = Failure("Cannot write file ", name, LastOsError());
    return false;
  }
  if (NoRegularFile(target)) {
    fault = Concatenate("Cannot write file ", name);
    fault.Append(": it is not a regular file (a device, a FIFO, a socket or a folder) and was left as it is");
    return false;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    String temporary = String::Copy(TemporaryName(std::string(target.View())));
    int descriptor = OpenDescriptor(temporary, FileOpening::CreateHere, mode);
    if (descriptor >= 0) {
      file.target = target;
      file.temporary = temporary;
      file.descriptor = descriptor;
      return true;
    }
    if (LastOsErrorNumber() != EEXIST) break;
  }
  fault = Failure("Cannot create file ", name, LastOsError());
  return false;
}

bool WriteReplacement(FileReplacement& file, const void* data, size_t length, String& fault) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t written = 0;
  while (written < length) {
    int count = WriteBytes(file.descriptor, bytes + written, static_cast<int>(std::min<size_t>(length - written, 1u << 20)));
    if (count <= 0) {
      fault = Failure("Cannot write file ", file.target, count < 0 ? LastOsError() : ErrorNumberText(ENOSPC));
      return false;
    }
    written += static_cast<size_t>(count);
  }
  return true;
}

bool FinishReplacement(FileReplacement& file, String& fault) {
  // On the disk before it takes the target's name: a power cut then leaves the old file
  // or the new one, never an empty one.
  bool good = SyncFile(file.descriptor);
  String reason = good ? String() : LastOsError();
  good = CloseWritten(file.descriptor) && good;
  file.descriptor = -1;
  if (good) good = RenameFile(file.temporary, file.target);
  if (good) return true;
  fault = Failure("Cannot write file ", file.target, reason.Empty() ? LastOsError() : reason);
  DeleteFile(file.temporary);
  return false;
}

void AbandonReplacement(FileReplacement& file) {
  if (file.descriptor >= 0) CloseDescriptor(file.descriptor);
  file.descriptor = -1;
  if (!file.temporary.Empty()) DeleteFile(file.temporary);
}

bool ReplaceFile(const String& name, const uint8_t* data, size_t length, int mode, String& fault) {
  FileReplacement file;
  if (!BeginReplacement(name, mode, file, fault)) return false;
  if (!WriteReplacement(file, data, length, fault)) {
    AbandonReplacement(file);
    return false;
  }
  return FinishReplacement(file, fault);
}
