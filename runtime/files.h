// Files, folders, the environment and the local time, over the Linux system calls.
// Nothing here ends the program: a failure returns false or -1 and leaves the
// system's text in LastOsError() for the caller to report.
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/string.h"

// The text of the most recent failure (strerror text, or "Invalid Filename").
String LastOsError();
// The error number behind LastOsError(); EINVAL for "Invalid Filename".
int LastOsErrorNumber();
void SetLastOsError(int errorNumber);

// Turns a name that may use '\' separators into the name Linux opens.
String NativeName(const String& name);

bool FileExists(const String& name);
// True for a folder (or a link to one); false for anything else and for nothing.
bool FolderExists(const String& name);
// Something is under the name that is no regular file (following links): a device, a
// FIFO, a socket or a folder, which a write must leave as it is.
bool NoRegularFile(const String& name);
bool MakeFolder(const String& name);
// A read-only file is deleted too: on Linux the folder's permission decides, so a
// failure is never mended by changing the file's own mode.
bool DeleteFile(const String& name);
bool RenameFile(const String& oldName, const String& newName);
// A busy target (EBUSY/ETXTBSY, the sharing violation of other systems) costs one
// second and one retry. Every failure is reported.
bool CopyFile(const String& from, const String& to, bool overwrite);
// The retry rule of CopyFile: attempt returns 0 or an error number; a busy failure
// waits one second and is tried once more. The last attempt's result is returned.
int RetryOnceIfBusy(const std::function<int()>& attempt);

int OpenRead(const String& name);
// overwrite: create or truncate; otherwise create and fail if it exists. Owner read-write.
int CreateWrite(const String& name, bool overwrite);
int ReadBytes(int descriptor, void* buffer, int count);
int WriteBytes(int descriptor, const void* buffer, int count);
void CloseDescriptor(int descriptor);

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

// "Error: " and the text of errno (at most 255 characters), read right after a failed call.
String SystemErrorText();
// Hands SystemErrorText() to CommTraceHook when one is installed, so that the
// failures of the port calls reach the comm trace.
void ReportSystemError();
