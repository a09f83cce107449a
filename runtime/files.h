// Files, folders, the environment and the local time: one interface, with the Linux
// system calls behind it in files_linux.cpp and the Windows ones in files_win32.cpp.
// Names are UTF-8 on both. Nothing here ends the program: a failure returns false or
// -1 and leaves the system's text in LastOsError() for the caller to report.
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/string.h"

// The text of the most recent failure (strerror text, or "Invalid Filename").
String LastOsError();
// The error number behind LastOsError(); EINVAL for "Invalid Filename".
int LastOsErrorNumber();
void SetLastOsError(int errorNumber);
void SetLastOsErrorText(const String& text, int errorNumber);
// The system's text for a C library error number.
String ErrorNumberText(int errorNumber);

// Turns a name that may use either separator into the name the system opens.
String NativeName(const String& name);

// What stands under a name, links followed unless asked otherwise. Missing sets the
// last OS error: ENOENT, or why the name could not be looked at.
enum class FileKind { Missing, Regular, Folder, CharacterDevice, BlockDevice, Fifo, Socket, Link, Other };
FileKind KindOfFile(const String& name, bool followLinks = true);
// "a character device", "a FIFO", "a folder", ...: how a refusal names what it found.
const char* FileKindText(FileKind kind);
// The file a chain of links ends at; the name itself when it is no link (or on a
// system whose programs do not follow links by name). A link pointing nowhere gives
// the file it would create. False, with the last OS error, for a loop.
bool FollowLinks(const String& name, String& target);
// The operator may create files in the folder.
bool FolderWritable(const String& folder);

bool FileExists(const String& name);
// True for a folder (or a link to one); false for anything else and for nothing.
bool FolderExists(const String& name);
// Something is under the name that is no regular file (following links): a device, a
// FIFO, a socket or a folder, which a write must leave as it is.
bool NoRegularFile(const String& name);
bool MakeFolder(const String& name);
// A read-only file is deleted too: on Windows its read-only mark is cleared first; on
// Linux the folder's permission decides, so a failure is never mended there by
// changing the file's own mode.
bool DeleteFile(const String& name);
bool RenameFile(const String& oldName, const String& newName);
// A busy target (EBUSY/ETXTBSY, the sharing violation of other systems) costs one
// second and one retry. Every failure is reported.
bool CopyFile(const String& from, const String& to, bool overwrite);
// The retry rule of CopyFile: attempt returns 0 or an error number; a busy failure
// waits one second and is tried once more. The last attempt's result is returned.
int RetryOnceIfBusy(const std::function<int()>& attempt);
// The error numbers of a file another program holds.
bool IsBusyError(int errorNumber);
// One attempt of CopyFile on native names: 0 or the error number.
int CopyFileOnce(const String& from, const String& to, bool overwrite);

// How OpenDescriptor opens: Read; ReadNoWait (a FIFO put under the name does not wait for a
// writer); CreateOrTruncate; Append (created if missing); CreateNew (fails if the name
// exists); CreateHere (as CreateNew, and never through a link left under the name).
enum class FileOpening { Read, ReadNoWait, CreateOrTruncate, Append, CreateNew, CreateHere };
// A descriptor, or -1 and the last OS error. `mode`: the permissions of a new file
// where the system has them.
int OpenDescriptor(const String& name, FileOpening opening, int mode = 0600);
int OpenRead(const String& name);
// overwrite: create or truncate; otherwise create and fail if it exists. Owner read-write.
int CreateWrite(const String& name, bool overwrite);
int ReadBytes(int descriptor, void* buffer, int count);
int WriteBytes(int descriptor, const void* buffer, int count);
void CloseDescriptor(int descriptor);
// For files written: false with the last OS error when the system reports a write
// that failed late, at the close.
bool CloseWritten(int descriptor);
// Everything written is on the disk.
bool SyncFile(int descriptor);
// The permissions where the system has them (the umask does not narrow them).
void SetFileMode(int descriptor, int mode);
// The permission bits of the file (0600 where the system keeps none); -1 when missing.
int FileMode(const String& name);

// Empty when not set.
String GetEnvironment(const String& name);

struct LocalDateTime {
  int8_t year;  // since 2000
  int8_t month;  // 1 to 12
  int8_t day;
  int8_t hour;
  int8_t minute;
  int8_t second;
};
LocalDateTime Now();

// "Error: " and the system's text of the last failed call (errno on Linux, the
// thread's last error on Windows; at most 255 characters), read right after it.
String SystemErrorText();
// Hands SystemErrorText() to CommTraceHook when one is installed, so that the
// failures of the port calls reach the comm trace.
void ReportSystemError();
