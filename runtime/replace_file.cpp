#include "runtime/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "runtime/clock.h"
#include "runtime/files.h"

namespace {

String Failure(const char* what, const String& name, int error) {
  String fault = Concatenate(what, name);
  fault.Append(": ");
  fault.Append(std::strerror(error));
  return fault;
}

// The file a chain of links ends at; the name itself when it is no link. A link
// pointing nowhere names the file it would create.
bool FollowLinks(const String& name, std::string& target) {
  target = std::string(NativeName(name).View());
  for (int hop = 0; hop < 40; ++hop) {
    struct stat status {};
    if (lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return true;
    char link[PATH_MAX];
    ssize_t length = readlink(target.c_str(), link, sizeof link - 1);
    if (length < 0) return false;
    std::string next(link, static_cast<size_t>(length));
    size_t slash = target.rfind('/');
    target = next.starts_with('/') || slash == std::string::npos ? next : target.substr(0, slash + 1) + next;
  }
  errno = ELOOP;
  return false;
}

// A name beside the target that nobody else uses: the process, a count and the time.
std::string TemporaryName(const std::string& target) {
  static std::atomic<uint32_t> count{0};
  return target + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(count++) + "-" +
         std::to_string(Microseconds() % 1000000);
}

}  // namespace

bool BeginReplacement(const String& name, int mode, FileReplacement& file, String& fault) {
  file = FileReplacement{};
  std::string target;
  if (!FollowLinks(name, target)) {
    fault = Failure("Cannot write file ", name, errno);
    return false;
  }
  struct stat status {};
  if (stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    fault = Concatenate("Cannot write file ", name);
    fault.Append(": it is not a regular file (a device, a FIFO, a socket or a folder) and was left as it is");
    return false;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temporary = TemporaryName(target);
    int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (descriptor >= 0) {
      file.target = String::Copy(target);
      file.temporary = String::Copy(temporary);
      file.descriptor = descriptor;
      return true;
    }
    if (errno != EEXIST) break;
  }
  fault = Failure("Cannot create file ", name, errno);
  return false;
}

bool WriteReplacement(FileReplacement& file, const void* data, size_t length, String& fault) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t written = 0;
  while (written < length) {
    int count = WriteBytes(file.descriptor, bytes + written, static_cast<int>(std::min<size_t>(length - written, 1u << 20)));
    if (count <= 0) {
      fault = Failure("Cannot write file ", file.target, count < 0 ? LastOsErrorNumber() : ENOSPC);
      return false;
    }
    written += static_cast<size_t>(count);
  }
  return true;
}

bool FinishReplacement(FileReplacement& file, String& fault) {
  // On the disk before it takes the target's name: a power cut then leaves the old file
  // or the new one, never an empty one.
  int error = fsync(file.descriptor) == 0 ? 0 : errno;
  if (close(file.descriptor) != 0 && error == 0) error = errno;
  file.descriptor = -1;
  if (error == 0 && rename(file.temporary.Data(), file.target.Data()) != 0) error = errno;
  if (error == 0) return true;
  fault = Failure("Cannot write file ", file.target, error);
  unlink(file.temporary.Data());
  return false;
}

void AbandonReplacement(FileReplacement& file) {
  if (file.descriptor >= 0) close(file.descriptor);
  file.descriptor = -1;
  if (!file.temporary.Empty()) unlink(file.temporary.Data());
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
