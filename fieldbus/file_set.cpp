#include "fieldbus/file_set.h"

#include <cerrno>

#include "runtime/buffered_file.h"
#include "runtime/files.h"
#include "runtime/log.h"

namespace {

// Beside each target: its new text until it takes the target's place, and the old
// target until the whole set is in place.
String NewName(const String& name) { return Concatenate(name, ".000"); }
String OldName(const String& name) { return Concatenate(name, ".001"); }

void ReportFailure(const String& name, const String& reason) {
  PutLine(ReportStream, "GenerateFieldbusFiles cannot write ", name, ": ", reason);
}

// A leftover of an earlier run under the new name is removed, never written through:
// it may be a link somebody left there. A folder there stays, and is the error.
int CreateNewText(BufferedFile*& file, const String& name) {
  int error = FileCreateDocument(file, name);
  if (error != EEXIST) return error;
  if (!DeleteFile(name)) return LastOsErrorNumber();
  return FileCreateDocument(file, name);
}

void DeleteNewFiles(const std::vector<PlannedFile>& files, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) DeleteFile(NewName(files[i].name));
}

// Puts files[0..placed) back as they were, the old ones from their backups.
void Restore(const std::vector<PlannedFile>& files, size_t placed, const std::vector<bool>& hadOld) {
  for (size_t i = placed; i-- > 0;) {
    const String& name = files[i].name;
    bool restored = hadOld[i] ? RenameFile(OldName(name), name) : DeleteFile(name);
    if (!restored) ReportFailure(name, Concatenate("not restored: ", LastOsError()));
  }
}

}  // namespace

FileSetResult WriteFileSet(const std::vector<PlannedFile>& files) {
  for (size_t i = 0; i < files.size(); ++i) {
    BufferedFile* file = nullptr;
    int error = CreateNewText(file, NewName(files[i].name));
    if (error != 0) {
      DeleteNewFiles(files, 0, i);
      return {FileSetResult::CannotCreate, files[i].name, error};
    }
    FileStream stream(file);
    PutRaw(stream, files[i].text);
    if (!FileClose(file)) {
      String reason = LastOsError();
      DeleteNewFiles(files, 0, i + 1);
      ReportFailure(files[i].name, reason);
      return {FileSetResult::Failed, files[i].name, 0};
    }
  }

  std::vector<bool> hadOld(files.size(), false);
  for (size_t i = 0; i < files.size(); ++i) {
    const String& name = files[i].name;
    // A folder, a device or a FIFO in a file's place is the operator's: it is never
    // moved aside, nor deleted with the old files.
    bool placed = !NoRegularFile(name);
    String reason = "it is no regular file";
    if (FolderExists(name)) {
      SetLastOsError(EISDIR);
      reason = LastOsError();
    }
    hadOld[i] = placed && FileExists(name);
    if (hadOld[i]) {
      placed = RenameFile(name, OldName(name));
      reason = LastOsError();
    }
    if (placed && !RenameFile(NewName(name), name)) {
      placed = false;
      reason = LastOsError();
      if (hadOld[i]) RenameFile(OldName(name), name);
    }
    if (!placed) {
      Restore(files, i, hadOld);
      DeleteNewFiles(files, i, files.size());
      ReportFailure(name, reason);
      return {FileSetResult::Failed, name, 0};
    }
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (hadOld[i]) DeleteFile(OldName(files[i].name));
  }
  return {FileSetResult::Written, String(), 0};
}
