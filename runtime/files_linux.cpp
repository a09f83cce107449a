#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/files.h"

namespace {

// Records errno and gives the failure result of the boolean operations.
bool Failed() {
  SetLastOsError(errno);
  return false;
}

// Retries a call that a signal interrupted.
template <typename Call>
auto Uninterrupted(Call call) {
  auto result = call();
  while (result < 0 && errno == EINTR) result = call();
  return result;
}

FileKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::Regular;
  if (S_ISDIR(mode)) return FileKind::Folder;
  if (S_ISCHR(mode)) return FileKind::CharacterDevice;
  if (S_ISBLK(mode)) return FileKind::BlockDevice;
  if (S_ISFIFO(mode)) return FileKind::Fifo;
  if (S_ISSOCK(mode)) return FileKind::Socket;
  if (S_ISLNK(mode)) return FileKind::Link;
  return FileKind::Other;
}

}  // namespace

String ErrorNumberText(int errorNumber) {
  char buffer[256];
  return String::Copy(strerror_r(errorNumber, buffer, sizeof buffer));
}

bool IsBusyError(int errorNumber) { return errorNumber == EBUSY || errorNumber == ETXTBSY; }

String NativeName(const String& name) {
  if (name.View().find('\\') == std::string_view::npos) return name;
  String native = name;
  char* characters = native.WritableData();
  for (int i = 0; i < native.Length(); ++i) {
    if (characters[i] == '\\') characters[i] = '/';
  }
  return native;
}

FileKind KindOfFile(const String& name, bool followLinks) {
  struct stat status {};
  String native = NativeName(name);
  int result = followLinks ? stat(native.Data(), &status) : lstat(native.Data(), &status);
  if (result == 0) return KindOfMode(status.st_mode);
  SetLastOsError(errno);
  return FileKind::Missing;
}

bool FollowLinks(const String& name, String& target) {
  std::string path(NativeName(name).View());
  for (int hop = 0; hop < 40; ++hop) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
      target = String::Copy(path);
      return true;
    }
    char link[PATH_MAX];
    ssize_t length = readlink(path.c_str(), link, sizeof link - 1);
    if (length < 0) return Failed();
    std::string next(link, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    path = next.starts_with('/') || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
  }
  SetLastOsError(ELOOP);
  return false;
}

bool FolderWritable(const String& folder) { return access(NativeName(folder).Data(), W_OK) == 0; }

bool FileExists(const String& name) {
  if (name.Empty()) {
    SetLastOsErrorText("Invalid Filename", EINVAL);
    return false;
  }
  return access(NativeName(name).Data(), F_OK) == 0 || Failed();
}

bool MakeFolder(const String& name) { return mkdir(NativeName(name).Data(), 0700) == 0 || Failed(); }

bool DeleteFile(const String& name) { return unlink(NativeName(name).Data()) == 0 || Failed(); }

bool RenameFile(const String& oldName, const String& newName) {
  return rename(NativeName(oldName).Data(), NativeName(newName).Data()) == 0 || Failed();
}

namespace {

// Writes every byte; false with errno on failure.
bool WriteAll(int descriptor, const char* bytes, size_t count) {
  while (count > 0) {
    ssize_t written = Uninterrupted([&] { return write(descriptor, bytes, count); });
    if (written < 0) return false;
    bytes += written;
    count -= static_cast<size_t>(written);
  }
  return true;
}

// 0 or the error number of the failed read or write.
int CopyContents(int from, int to) {
  char buffer[65536];
  for (;;) {
    ssize_t got = Uninterrupted([&] { return read(from, buffer, sizeof buffer); });
    if (got == 0) return 0;
    if (got < 0 || !WriteAll(to, buffer, static_cast<size_t>(got))) return errno;
  }
}

}  // namespace

// Written to a temporary file beside the target and renamed over it at the end: the
// target is always either the old file or the whole copy.
int CopyFileOnce(const String& from, const String& to, bool overwrite) {
  struct stat existing;
  if (!overwrite && lstat(to.Data(), &existing) == 0) return EEXIST;
  int source = open(from.Data(), O_RDONLY | O_CLOEXEC);
  if (source < 0) return errno;
  std::string temporary(to.View().substr(0, to.View().rfind('/') + 1));
  temporary += ".quarnet-copy-XXXXXX";
  int target = mkostemp(temporary.data(), O_CLOEXEC);
  if (target < 0) {
    int error = errno;
    close(source);
    return error;
  }
  int error = CopyContents(source, target);
  close(source);
  if (close(target) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), to.Data()) != 0) error = errno;
  if (error != 0) unlink(temporary.c_str());
  return error;
}

int OpenDescriptor(const String& name, FileOpening opening, int mode) {
  int flags = O_CLOEXEC;
  switch (opening) {
    case FileOpening::Read: flags |= O_RDONLY; break;
    case FileOpening::ReadNoWait: flags |= O_RDONLY | O_NONBLOCK; break;
    case FileOpening::CreateOrTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case FileOpening::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    case FileOpening::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    case FileOpening::CreateHere: flags |= O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW; break;
  }
  int descriptor = Uninterrupted([&] { return open(NativeName(name).Data(), flags, static_cast<mode_t>(mode)); });
  if (descriptor < 0) SetLastOsError(errno);
  return descriptor;
}

int ReadBytes(int descriptor, void* buffer, int count) {
  ssize_t got = Uninterrupted([&] { return read(descriptor, buffer, static_cast<size_t>(count)); });
  if (got < 0) SetLastOsError(errno);
  return static_cast<int>(got);
}

int WriteBytes(int descriptor, const void* buffer, int count) {
  ssize_t written =
      Uninterrupted([&] { return write(descriptor, buffer, static_cast<size_t>(count)); });
  if (written < 0) SetLastOsError(errno);
  return static_cast<int>(written);
}

void CloseDescriptor(int descriptor) { close(descriptor); }

bool CloseWritten(int descriptor) { return close(descriptor) == 0 || Failed(); }

bool SyncFile(int descriptor) { return fsync(descriptor) == 0 || Failed(); }

void SetFileMode(int descriptor, int mode) { fchmod(descriptor, static_cast<mode_t>(mode)); }

int FileMode(const String& name) {
  struct stat status {};
  if (stat(NativeName(name).Data(), &status) != 0) return -1;
  return static_cast<int>(status.st_mode & 07777);
}

LocalDateTime Now() {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return LocalDateTime{static_cast<int8_t>(local.tm_year - 100), static_cast<int8_t>(local.tm_mon + 1),
                       static_cast<int8_t>(local.tm_mday),       static_cast<int8_t>(local.tm_hour),
                       static_cast<int8_t>(local.tm_min),        static_cast<int8_t>(local.tm_sec)};
}

String SystemErrorText() {
  String text = "Error: ";
  text.Append(ErrorNumberText(errno).View().substr(0, 255));
  return text;
}
