#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <sys/stat.h>
#include "runtime/windows_api.h"

#include "runtime/files.h"
#include "runtime/windows_text.h"

namespace {

std::wstring Wide(const String& name) { return WideText(NativeName(name).View()); }

// Records errno and gives the failure result of the boolean operations.
bool Failed() {
  SetLastOsError(errno);
  return false;
}

// Records the thread's last Windows error as the C library's number and the
// system's own text.
bool FailedWindowsCall() {
  DWORD error = GetLastError();
  SetLastOsErrorText(WindowsErrorText(error), ErrorNumberOfWindowsError(error));
  return false;
}

}  // namespace

String ErrorNumberText(int errorNumber) {
  char buffer[256];
  if (strerror_s(buffer, sizeof buffer, errorNumber) != 0) return String::Copy("error " + std::to_string(errorNumber));
  return String::Copy(buffer);
}

bool IsBusyError(int errorNumber) { return errorNumber == EBUSY; }

String NativeName(const String& name) {
  if (name.View().find('/') == std::string_view::npos) return name;
  String native = name;
  char* characters = native.WritableData();
  for (int i = 0; i < native.Length(); ++i) {
    if (characters[i] == '/') characters[i] = '\\';
  }
  return native;
}

FileKind KindOfFile(const String& name, bool followLinks) {
  String native = NativeName(name);
  // \\.\COM3 and the like: devices have no attributes to read.
  if (native.View().starts_with("\\\\.\\")) return FileKind::CharacterDevice;
  DWORD attributes = GetFileAttributesW(Wide(native).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    FailedWindowsCall();
    return FileKind::Missing;
  }
  if (!followLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return FileKind::Link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::Folder;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return FileKind::CharacterDevice;
  return FileKind::Regular;
}

// Windows opens a link's target by the link's name: writing beside the name and
// renaming replaces the link, not what it names, so the name is kept as it is.
bool FollowLinks(const String& name, String& target) {
  target = NativeName(name);
  return true;
}

// Folders' permissions are access lists that _waccess does not read: a file made
// and dropped again is the one sure test (Program Files refuses it).
bool FolderWritable(const String& folder) {
  static std::atomic<unsigned> count{0};
  std::wstring probe = Wide(folder) + L"\\.quarnet-probe-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(count++);
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool FileExists(const String& name) {
  if (name.Empty()) {
    SetLastOsErrorText("Invalid Filename", EINVAL);
    return false;
  }
  return GetFileAttributesW(Wide(name).c_str()) != INVALID_FILE_ATTRIBUTES || FailedWindowsCall();
}

bool MakeFolder(const String& name) { return CreateDirectoryW(Wide(name).c_str(), nullptr) || FailedWindowsCall(); }

bool DeleteFile(const String& name) {
  std::wstring wide = Wide(name);
  if (DeleteFileW(wide.c_str())) return true;
  if (GetLastError() != ERROR_ACCESS_DENIED) return FailedWindowsCall();
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(wide.c_str()) || FailedWindowsCall();
}

// Replaces an existing file, as rename does on Linux, and is on the disk when it returns.
bool RenameFile(const String& oldName, const String& newName) {
  return MoveFileExW(Wide(oldName).c_str(), Wide(newName).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
         FailedWindowsCall();
}

// Copied to a temporary file beside the target and moved over it at the end: the
// target is always either the old file or the whole copy.
int CopyFileOnce(const String& from, const String& to, bool overwrite) {
  std::wstring target = Wide(to);
  if (!overwrite && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) return EEXIST;
  std::wstring temporary = target + L".quarnet-copy-" + std::to_wstring(GetCurrentProcessId());
  if (!CopyFileW(Wide(from).c_str(), temporary.c_str(), FALSE)) return ErrorNumberOfWindowsError(GetLastError());
  if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  int error = ErrorNumberOfWindowsError(GetLastError());
  DeleteFileW(temporary.c_str());
  return error;
}

int OpenDescriptor(const String& name, FileOpening opening, int) {
  // Binary: the bytes as written, no line ends translated; not inherited by programs
  // this one starts.
  int flags = _O_BINARY | _O_NOINHERIT;
  switch (opening) {
    case FileOpening::Read:
    case FileOpening::ReadNoWait: flags |= _O_RDONLY; break;
    case FileOpening::CreateOrTruncate: flags |= _O_RDWR | _O_CREAT | _O_TRUNC; break;
    case FileOpening::Append: flags |= _O_WRONLY | _O_CREAT | _O_APPEND; break;
    case FileOpening::CreateNew:
    case FileOpening::CreateHere: flags |= _O_RDWR | _O_CREAT | _O_EXCL; break;
  }
  int descriptor = _wopen(Wide(name).c_str(), flags, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) SetLastOsError(errno);
  return descriptor;
}

int ReadBytes(int descriptor, void* buffer, int count) {
  int got = _read(descriptor, buffer, static_cast<unsigned>(count));
  if (got < 0) SetLastOsError(errno);
  return got;
}

int WriteBytes(int descriptor, const void* buffer, int count) {
  int written = _write(descriptor, buffer, static_cast<unsigned>(count));
  if (written < 0) SetLastOsError(errno);
  return written;
}

void CloseDescriptor(int descriptor) { _close(descriptor); }

bool CloseWritten(int descriptor) { return _close(descriptor) == 0 || Failed(); }

bool SyncFile(int descriptor) { return _commit(descriptor) == 0 || Failed(); }

// Windows keeps access lists, not permission bits: a new file gets its folder's.
void SetFileMode(int, int) {}

int FileMode(const String& name) {
  return GetFileAttributesW(Wide(name).c_str()) == INVALID_FILE_ATTRIBUTES ? -1 : 0600;
}

LocalDateTime Now() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  return LocalDateTime{static_cast<int8_t>(local.wYear - 2000), static_cast<int8_t>(local.wMonth),
                       static_cast<int8_t>(local.wDay),         static_cast<int8_t>(local.wHour),
                       static_cast<int8_t>(local.wMinute),      static_cast<int8_t>(local.wSecond)};
}

String SystemErrorText() {
  String text = "Error: ";
  text.Append(WindowsErrorText(GetLastError()).View().substr(0, 255));
  return text;
}
