#include "runtime/files.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "runtime/clock.h"
#include "runtime/program_state.h"

namespace {

// Any thread may fail; the text belongs to whichever failed last.
std::mutex lastErrorLock;
String lastErrorText;
int lastErrorNumber = 0;

}  // namespace

void SetLastOsErrorText(const String& text, int errorNumber) {
  std::lock_guard guard(lastErrorLock);
  lastErrorText = text;
  lastErrorNumber = errorNumber;
}

String LastOsError() {
  std::lock_guard guard(lastErrorLock);
  return lastErrorText;
}

int LastOsErrorNumber() {
  std::lock_guard guard(lastErrorLock);
  return lastErrorNumber;
}

void SetLastOsError(int errorNumber) { SetLastOsErrorText(ErrorNumberText(errorNumber), errorNumber); }

const char* FileKindText(FileKind kind) {
  switch (kind) {
    case FileKind::CharacterDevice: return "a character device";
    case FileKind::BlockDevice: return "a block device";
    case FileKind::Fifo: return "a FIFO";
    case FileKind::Socket: return "a socket";
    case FileKind::Folder: return "a folder";
    case FileKind::Link: return "a link";
    default: return "no plain file";
  }
}

bool FolderExists(const String& name) { return KindOfFile(name) == FileKind::Folder; }

bool NoRegularFile(const String& name) {
  FileKind kind = KindOfFile(name);
  return kind != FileKind::Missing && kind != FileKind::Regular;
}

int OpenRead(const String& name) { return OpenDescriptor(name, FileOpening::Read); }

int CreateWrite(const String& name, bool overwrite) {
  return OpenDescriptor(name, overwrite ? FileOpening::CreateOrTruncate : FileOpening::CreateNew);
}

int RetryOnceIfBusy(const std::function<int()>& attempt) {
  int error = attempt();
  if (IsBusyError(error)) {
    SleepMilliseconds(1000);
    error = attempt();
  }
  return error;
}

bool CopyFile(const String& from, const String& to, bool overwrite) {
  String source = NativeName(from);
  String target = NativeName(to);
  int error = RetryOnceIfBusy([&] { return CopyFileOnce(source, target, overwrite); });
  if (error == 0) return true;
  SetLastOsError(error);
  return false;
}

String GetEnvironment(const String& name) {
  const char* value = std::getenv(name.Data());
  return value == nullptr ? String() : String::Copy(value);
}

void ReportSystemError() {
  if (CommTraceHook != nullptr) CommTraceHook(SystemErrorText());
}
