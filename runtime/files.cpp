#include "runtime/files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/clock.h"
#include "runtime/program_state.h"

namespace {

// Any thread may fail; the text belongs to whichever failed last.
std::mutex lastErrorLock;
String lastErrorText;
int lastErrorNumber = 0;

void SetLastOsErrorText(const String& text, int errorNumber) {
  std::lock_guard guard(lastErrorLock);
  lastErrorText = text;
  lastErrorNumber = errorNumber;
}

String ErrorText(int errorNumber) {
  char buffer[256];
  return String::Copy(strerror_r(errorNumber, buffer, sizeof buffer));
}

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

}  // namespace

String LastOsError() {
  std::lock_guard guard(lastErrorLock);
  return lastErrorText;
}

int LastOsErrorNumber() {
  std::lock_guard guard(lastErrorLock);
  return lastErrorNumber;
}

void SetLastOsError(int errorNumber) { SetLastOsErrorText(ErrorText(errorNumber), errorNumber); }

String NativeName(const String& name) {
  if (name.View().find('\\') == std::string_view::npos) return name;
  String native = name;
  char* characters = native.WritableData();
  for (int i = 0; i < native.Length(); ++i) {
    if (characters[i] == '\\') characters[i] = '/';
  }
  return native;
}

bool FileExists(const String& name) {
  if (name.Empty()) {
    SetLastOsErrorText("Invalid Filename", EINVAL);
    return false;
  }
  return access(NativeName(name).Data(), F_OK) == 0 || Failed();
}

bool FolderExists(const String& name) {
  struct stat status;
  return stat(NativeName(name).Data(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool MakeFolder(const String& name) { return mkdir(NativeName(name).Data(), 0700) == 0 || Failed(); }

bool NoRegularFile(const String& name) {
  struct stat status {};
  return stat(NativeName(name).Data(), &status) == 0 && !S_ISREG(status.st_mode);
}

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

// One copy, written to a temporary file beside the target and renamed over it at
// the end: the target is always either the old file or the whole copy.
int CopyOnce(const String& from, const String& to, bool overwrite) {
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

}  // namespace

int RetryOnceIfBusy(const std::function<int()>& attempt) {
  int error = attempt();
  if (error == EBUSY || error == ETXTBSY) {
    SleepMilliseconds(1000);
    error = attempt();
  }
  return error;
}

bool CopyFile(const String& from, const String& to, bool overwrite) {
  String source = NativeName(from);
  String target = NativeName(to);
  int error = RetryOnceIfBusy([&] { return CopyOnce(source, target, overwrite); });
  if (error == 0) return true;
  SetLastOsError(error);
  return false;
}

int OpenRead(const String& name) {
  int descriptor = open(NativeName(name).Data(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) SetLastOsError(errno);
  return descriptor;
}

int CreateWrite(const String& name, bool overwrite) {
  int flags = O_RDWR | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
  int descriptor = open(NativeName(name).Data(), flags, 0600);
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

String GetEnvironment(const String& name) {
  const char* value = std::getenv(name.Data());
  return value == nullptr ? String() : String::Copy(value);
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
  text.Append(ErrorText(errno).View().substr(0, 255));
  return text;
}

void ReportSystemError() {
  if (CommTraceHook != nullptr) CommTraceHook(SystemErrorText());
}
