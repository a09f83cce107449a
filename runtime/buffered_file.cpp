#include "runtime/buffered_file.h"

#include <cstring>

#include "runtime/console_streams.h"
#include "runtime/files.h"
#include "runtime/record_heap.h"

namespace {

void FillBuffer(BufferedFile* file) {
  file->position = 0;
  file->fill = ReadBytes(file->descriptor, file->buffer, FileBufferSize);
  if (file->fill <= 0) {
    file->fill = 0;
    file->endOfFile = true;
  }
}

// After a failed write the rest of the file is dropped: what follows a gap is of no use.
void WriteBuffer(BufferedFile* file) {
  for (int done = 0; !file->failed && done < file->fill;) {
    int written = WriteBytes(file->descriptor, file->buffer + done, file->fill - done);
    if (written <= 0) file->failed = true;
    else done += written;
  }
  file->fill = 0;
}

// failureText nullptr: a quiet opener. Owner-only unless a mode is given.
int OpenBuffered(BufferedFile*& file, const String& name, FileOpening opening, const char* failureText,
                 int mode = 0600) {
  file = nullptr;
  int descriptor = OpenDescriptor(name, opening, mode);
  if (descriptor < 0) {
    int error = LastOsErrorNumber();
    if (failureText != nullptr) {
      PutText(StandardError, "\r\n");
      PutText(StandardError, failureText);
      PutString(StandardError, name);
      PutText(StandardError, "\r\n");
    }
    return error;
  }
  // The record comes zeroed, so every flag starts clear and the name stays terminated.
  file = static_cast<BufferedFile*>(AllocateRecord(sizeof(BufferedFile)));
  file->descriptor = descriptor;
  std::string_view kept = name.View().substr(0, sizeof file->name - 1);
  std::memcpy(file->name, kept.data(), kept.size());
  file->writing = opening != FileOpening::Read;
  if (!file->writing) FillBuffer(file);
  return 0;
}


}  // namespace

int FileCreate(BufferedFile*& file, const String& name) {
  return OpenBuffered(file, name, FileOpening::CreateOrTruncate, "Cannot create file: ");
}

int FileAppend(BufferedFile*& file, const String& name) {
  return OpenBuffered(file, name, FileOpening::Append, "Cannot open file for append: ");
}

int FileOpen(BufferedFile*& file, const String& name) {
  return OpenBuffered(file, name, FileOpening::Read, "Cannot open file: ");
}

int FileCreateQuietly(BufferedFile*& file, const String& name) {
  return OpenBuffered(file, name, FileOpening::CreateOrTruncate, nullptr);
}

int FileCreateDocument(BufferedFile*& file, const String& name) {
  return OpenBuffered(file, name, FileOpening::CreateHere, nullptr, 0666);
}

int FileCreateNew(BufferedFile*& file, const String& name) {
  return OpenBuffered(file, name, FileOpening::CreateNew, nullptr);
}

int FileOpenQuietly(BufferedFile*& file, const String& name) {
  return OpenBuffered(file, name, FileOpening::Read, nullptr);
}

void FilePutByte(BufferedFile* file, uint8_t c) {
  file->buffer[file->fill++] = c;
  if (file->fill == FileBufferSize) WriteBuffer(file);
}

void FileFlush(BufferedFile* file) {
  if (file->writing) WriteBuffer(file);
}

uint8_t FileGetByte(BufferedFile* file) {
  if (file->position >= file->fill) {
    if (file->endOfFile) return 0;
    FillBuffer(file);
    if (file->endOfFile) return 0;
  }
  return file->buffer[file->position++];
}

bool FileEnd(const BufferedFile* file) { return file->endOfFile; }

bool FileClose(BufferedFile*& file) {
  if (file == nullptr) return true;
  if (file->writing) WriteBuffer(file);
  bool good = !file->failed;
  // A file system may report a write error only at the close.
  if (file->writing) good = CloseWritten(file->descriptor) && good;
  else CloseDescriptor(file->descriptor);
  FreeRecord(file);
  file = nullptr;
  return good;
}

FileStream::FileStream(BufferedFile* target)
    : Stream{[](Stream* stream, uint8_t c) { FilePutByte(static_cast<FileStream*>(stream)->file, c); }},
      file(target) {}

FileReader::FileReader(BufferedFile* source)
    : InputRecord{[](InputRecord* record) { return FileGetByte(static_cast<FileReader*>(record)->file); }},
      file(source) {}
