// INI files: flat "key=value" lines without sections, such as the job file. A line's
// key is everything before its first '=' (spaces included, compared exactly); its
// value is the rest of the line. Every write rewrites the whole file into
// "<name>.000" and renames that over the file in one step, so a reader sees either
// the old file or the new one, never a half-written one or none.
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
// value; the writers return false and leave the reason in LastOsError().
String ReadIniQuietly(const String& fileName, const String& key);
bool WriteIniQuietly(const String& fileName, const String& key, const String& value);
// Removes every line of the key; a missing file stays missing.
bool DeleteIniQuietly(const String& fileName, const String& key);
