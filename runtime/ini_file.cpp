#include "runtime/ini_file.h"


#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/buffered_file.h"
#include "runtime/check.h"
#include "runtime/console_streams.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/number_format.h"
#include "runtime/path.h"
#include "runtime/replace_file.h"
#include "runtime/stream.h"
#include "runtime/string_io.h"

namespace {

// The value of the key's first line; false when no line has the key.
bool FindValue(BufferedFile* file, const String& key, String& value) {
  String line;
  while (ReadLine(file, line)) {
    std::string_view text = line.View();
    size_t equals = text.find('=');
    if (text.substr(0, equals) != key.View()) continue;
    if (equals != std::string_view::npos) value = String::Copy(text.substr(equals + 1));
    return true;
  }
  return false;
}

void PutEntry(Stream& stream, const String& key, const String& value) {
  PutRaw(stream, key.View());
  PutChar(stream, '=');
  PutRaw(stream, value.View());
  PutText(stream, "\r\n");
}

// Copies the lines of `in` (nullptr: no file yet), each key line replaced by the new
// entry or, when value is nullptr, left out.
void CopyLines(BufferedFile* in, Stream& out, const String& key, const String* value) {
  bool found = false;
  String line;
  while (in != nullptr && ReadLine(in, line)) {
    std::string_view text = line.View();
    if (text.substr(0, text.find('=')) != key.View()) {
      PutRaw(out, text);
      PutText(out, "\r\n");
      continue;
    }
    found = true;
    if (value != nullptr) PutEntry(out, key, *value);
  }
  if (!found && value != nullptr) PutEntry(out, key, *value);
}

// Collects the new content; a job or settings file may be longer than a String holds.
struct TextStream : Stream {
  TextStream()
      : Stream{[](Stream* stream, uint8_t c) { static_cast<TextStream*>(stream)->text += static_cast<char>(c); }} {}
  std::string text;
};

struct RewriteResult {
  int error;  // 0 when the file holds the change
  bool replaceFailed;  // the new file was written but could not take the old one's place
  String fault;  // what went wrong, naming the file
};

// What stands under the name: nothing, a regular file (its permissions), or something
// else, which is never opened: a FIFO would block the reader, a device would be
// replaced by a file.
enum class Standing { Missing, Regular, Other };

Standing StandingOf(const String& fileName, int& mode) {
  FileKind kind = KindOfFile(fileName);
  if (kind == FileKind::Missing) return Standing::Missing;
  if (kind != FileKind::Regular) return Standing::Other;
  mode = FileMode(fileName);
  return Standing::Regular;
}

RewriteResult NotAFile(const String& fileName) {
  String fault = Concatenate("Cannot write file ", fileName);
  fault.Append(": it is not a regular file (a device, a FIFO, a socket or a folder) and was left as it is");
  SetLastOsError(EINVAL);
  return {EINVAL, false, fault};
}

RewriteResult Rewrite(const String& fileName, const String& key, const String* value, bool quiet) {
  int mode = PrivateMode;
  Standing standing = StandingOf(fileName, mode);
  if (standing == Standing::Other) return NotAFile(fileName);
  if (standing == Standing::Missing && value == nullptr) return {0, false, String()};
  // Usually the folder is there already and this fails harmlessly.
  MakeFolder(DirectoryPart(fileName));
  BufferedFile* in = nullptr;
  if (standing == Standing::Regular) {
    int error = quiet ? FileOpenQuietly(in, fileName) : FileOpen(in, fileName);
    if (error != 0) {
      String fault = Concatenate("Cannot read file ", fileName);
      fault.Append(": ");
      fault.Append(std::strerror(error));
      return {error, false, fault};
    }
  }
  TextStream content;
  CopyLines(in, content, key, value);
  FileClose(in);
  // The file keeps the permissions it had: a job file a production line reads stays
  // readable to it.
  FileReplacement replacement;
  String fault;
  if (!BeginReplacement(fileName, mode, replacement, fault)) {
    return {LastOsErrorNumber() != 0 ? LastOsErrorNumber() : EINVAL, false, fault};
  }
  SetFileMode(replacement.descriptor, mode);
  if (!WriteReplacement(replacement, content.text.data(), content.text.size(), fault)) {
    AbandonReplacement(replacement);
    return {EIO, false, fault};
  }
  if (!FinishReplacement(replacement, fault)) return {EIO, true, fault};
  return {0, false, String()};
}

String Text(int64_t value) {
  String text;
  StringStream stream(text);
  PutInt(stream, value);
  return text;
}

}  // namespace

String ReadIni(const String& fileName, const String& key) {
  String value;
  int mode = 0;
  Standing standing = StandingOf(fileName, mode);
  if (standing == Standing::Missing) return value;
  if (standing == Standing::Other) FatalError(NotAFile(fileName).fault);
  BufferedFile* file = nullptr;
  int error = FileOpen(file, fileName);
  if (error != 0) FatalSystemError(error);
  FindValue(file, key, value);
  FileClose(file);
  return value;
}

void WriteIni(const String& fileName, const String& key, const String& value) {
  RewriteResult result = Rewrite(fileName, key, &value, false);
  if (result.error == 0) return;
  if (!result.replaceFailed && !result.fault.Empty()) FatalError(result.fault);
  if (!result.replaceFailed) FatalSystemError(result.error);
  PutText(StandardError, "\r\nINI File is locked: ");
  PutString(StandardError, fileName);
  FlushStandardStreams();
  std::exit(1);
}

bool ReadIniBoolean(const String& fileName, const String& key) {
  String value = ReadIni(fileName, key);
  if (value == "1") return true;
  if (value.Length() != 4) return false;
  for (int i = 0; i < 4; ++i) {
    char c = value[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != "TRUE"[i]) return false;
  }
  return true;
}

void WriteIniBoolean(const String& fileName, const String& key, bool value) {
  WriteIni(fileName, key, value ? String("true") : String("false"));
}

int64_t ReadIniInteger(const String& fileName, const String& key) { return ReadInt(ReadIni(fileName, key)); }

void WriteIniInteger(const String& fileName, const String& key, int64_t value) {
  WriteIni(fileName, key, Text(value));
}

double ReadIniReal(const String& fileName, const String& key) { return ReadReal(ReadIni(fileName, key)); }

void WriteIniReal(const String& fileName, const String& key, double value) {
  String text;
  StringStream stream(text);
  PutReal(stream, value, 15);
  WriteIni(fileName, key, text);
}

String ReadIniBytes(const String& fileName, const String& key) {
  String text = ReadIni(fileName, key);
  String bytes;
  for (int i = 0; i < text.Length(); i += 2) {
    String pair = text.Substring(i, 2);
    StringReader reader(pair);
    bytes.Append(static_cast<char>(ReadHex(reader, 1)));
  }
  return bytes;
}

void WriteIniBytes(const String& fileName, const String& key, const String& bytes) {
  String text;
  StringStream stream(text);
  for (char c : bytes.View()) PutHex2(stream, static_cast<uint8_t>(c));
  WriteIni(fileName, key, text);
}

String ReadIniQuietly(const String& fileName, const String& key) {
  String value;
  BufferedFile* file = nullptr;
  int mode = 0;
  if (StandingOf(fileName, mode) != Standing::Regular || FileOpenQuietly(file, fileName) != 0) return value;
  FindValue(file, key, value);
  FileClose(file);
  return value;
}

bool WriteIniQuietly(const String& fileName, const String& key, const String& value, String* fault) {
  RewriteResult result = Rewrite(fileName, key, &value, true);
  if (fault != nullptr) *fault = result.fault;
  return result.error == 0;
}

bool DeleteIniQuietly(const String& fileName, const String& key) {
  return Rewrite(fileName, key, nullptr, true).error == 0;
}
