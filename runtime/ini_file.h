// INI files: flat "key=value" lines without sections, such as the job file. A line's
// key is everything before its first '=' (spaces included, compared exactly); its
// value is the rest of the line. Lines may end with CR LF, LF or CR. Every write
// replaces the whole file at once (runtime/replace_file.h), keeping its permissions,
// so a reader sees either the old file or the new one, never a half-written one or
// none. A name that stands for no regular file (a FIFO, a device, a folder) is never
// opened: reading it ends the program, writing it fails, and it is left as it is.
#pragma once

#include <cstdint>

#include "runtime/string.h"

// The value of the key's first line; empty when the file or the key is missing. A
// file that exists but cannot be read ends the program.
String ReadIni(const String& fileName, const String& key);
// Sets every line of the key to the value, adding a line at the end when there is
// none; the other lines stay as they were. A file that cannot be read or written ends
// the program; one that cannot be replaced ends it after "INI File is locked: <name>".
void WriteIni(const String& fileName, const String& key, const String& value);

// "true" or "false"; read as true when "1" or "TRUE" in any case.
bool ReadIniBoolean(const String& fileName, const String& key);
void WriteIniBoolean(const String& fileName, const String& key, bool value);
int64_t ReadIniInteger(const String& fileName, const String& key);
void WriteIniInteger(const String& fileName, const String& key, int64_t value);
double ReadIniReal(const String& fileName, const String& key);
void WriteIniReal(const String& fileName, const String& key, double value);
// Two upper-case hexadecimal digits per byte.
String ReadIniBytes(const String& fileName, const String& key);
void WriteIniBytes(const String& fileName, const String& key, const String& bytes);

// For files whose failures the caller ignores (the user settings): nothing on the
// standard-error stream and no end of the program. A read failure gives an empty
// value; the writers return false and leave the reason in LastOsError(), and in
// `fault`, naming the file, when one is given.
String ReadIniQuietly(const String& fileName, const String& key);
bool WriteIniQuietly(const String& fileName, const String& key, const String& value, String* fault = nullptr);
// Removes every line of the key; a missing file stays missing.
bool DeleteIniQuietly(const String& fileName, const String& key);
