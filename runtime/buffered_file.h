// Buffered files: 32768-byte buffers for the log, INI files, templates and the
// files the program generates. Records come from the guarded record heap.
#pragma once

#include <cstdint>

#include "runtime/stream.h"
#include "runtime/string.h"

inline constexpr int FileBufferSize = 32768;

struct BufferedFile {
  int descriptor;
  char name[1024];  // for messages; a longer name keeps its first 1023 characters
  uint8_t buffer[FileBufferSize];
  int position;
  int fill;
  bool endOfFile;
  bool writing;
  bool failed;  // a write failed; the rest of the file is dropped and FileClose reports it
  bool afterCarriageReturn;  // the last line read ended with '\r': a '\n' next belongs to it
};

// Each returns 0 or the system's error number; on failure the standard-error stream
// gets "\r\nCannot create file: <name>\r\n" (or "Cannot open file for append: ",
// "Cannot open file: ") and the record stays null.
int FileCreate(BufferedFile*& file, const String& name);
int FileAppend(BufferedFile*& file, const String& name);
int FileOpen(BufferedFile*& file, const String& name);
// FileCreate and FileOpen without the standard-error message, for callers whose
// failures stay silent (the user settings).
int FileCreateQuietly(BufferedFile*& file, const String& name);
// A file meant for other people, as a description file handed to a PLC engineer:
// created quietly with the permissions the umask leaves of read and write for all,
// like any document. The program's own files (logs, settings) stay owner-only. Only a
// new file: EEXIST when anything is under the name, a link included, which is never
// written through.
int FileCreateDocument(BufferedFile*& file, const String& name);
// Creates a file that does not exist yet, quietly: EEXIST when it does, and the file
// found is left as it is.
int FileCreateNew(BufferedFile*& file, const String& name);
int FileOpenQuietly(BufferedFile*& file, const String& name);

void FilePutByte(BufferedFile* file, uint8_t c);
// Writes what is buffered so far, for a file that readers follow while it grows.
void FileFlush(BufferedFile* file);
// The next byte; 0 and the end-of-file flag once the file is used up.
uint8_t FileGetByte(BufferedFile* file);
bool FileEnd(const BufferedFile* file);
// Writes what is buffered, closes, releases the record and clears the reference.
// False when any write of the file failed.
bool FileClose(BufferedFile*& file);

// A stream into a buffered file, and a reader from one.
struct FileStream : Stream {
  explicit FileStream(BufferedFile* file);
  BufferedFile* file;
};
struct FileReader : InputRecord {
  explicit FileReader(BufferedFile* file);
  BufferedFile* file;
};
