#include "runtime/job_file.h"

#include <cerrno>
#include <string_view>

#include "runtime/files.h"

namespace {

// A job file holds a few lines; a larger file is some other program's data.
constexpr size_t LargestJobFile = size_t{1} << 20;

bool Refuse(const std::string& name, const std::string& why, std::string& refusal) {
  refusal = "job file " + name + " " + why + "; it is left as it is";
  return false;
}

// Tabs and line ends are the only control characters of a text; binary data has others,
// NUL bytes above all.
bool IsText(std::string_view bytes) {
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

bool IsIniLine(std::string_view line) {
  line = Trimmed(line);
  if (line.empty() || line.front() == ';' || line.front() == '#') return true;
  if (line.front() == '[') return line.back() == ']';
  size_t equals = line.find('=');
  return equals != std::string_view::npos && equals > 0;
}

// The number of the first line that is not an INI line; 0 when every line is one.
int FirstForeignLine(std::string_view text) {
  // Editors on the original platform start a UTF-8 file with a byte order mark.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  int number = 1;
  for (size_t start = 0; start <= text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (!IsIniLine(text.substr(start, end - start))) return number;
    start = end + 1;
  }
  return 0;
}

// O_NONBLOCK: should the name have become a FIFO since it was looked at, the open does
// not wait for a writer.
bool ReadWhole(const String& name, std::string& text) {
  int descriptor = OpenDescriptor(name, FileOpening::ReadNoWait);
  if (descriptor < 0) return false;
  char buffer[65536];
  int got;
  while ((got = ReadBytes(descriptor, buffer, sizeof buffer)) > 0 && text.size() <= LargestJobFile) {
    text.append(buffer, static_cast<size_t>(got));
  }
  CloseDescriptor(descriptor);
  return got == 0 || text.size() > LargestJobFile;
}

}  // namespace

bool CheckJobFile(const std::string& name, std::string& refusal) {
  if (name.empty()) return true;
  String path = String::Copy(name);
  FileKind kind = KindOfFile(path);
  if (kind == FileKind::Missing) {
    // A link to nothing is as good as missing: the write puts the file where the link is.
    if (LastOsErrorNumber() == ENOENT) return true;
    return Refuse(name, std::string("cannot be examined: ") + std::string(LastOsError().View()), refusal);
  }
  if (kind != FileKind::Regular) {
    bool linked = KindOfFile(path, false) == FileKind::Link;
    return Refuse(name, std::string(linked ? "is a link to " : "is ") + FileKindText(kind) + ", not an INI file",
                  refusal);
  }
  std::string text;
  if (!ReadWhole(path, text)) {
    return Refuse(name, std::string("cannot be read: ") + std::string(LastOsError().View()), refusal);
  }
  if (text.size() > LargestJobFile) return Refuse(name, "is not an INI file (larger than 1 MiB)", refusal);
  if (!IsText(text)) return Refuse(name, "is not an INI file (it holds binary bytes)", refusal);
  if (int line = FirstForeignLine(text); line != 0) {
    return Refuse(name,
                  "is not an INI file (line " + std::to_string(line) +
                      " is neither [section], key=value, a comment nor blank)",
                  refusal);
  }
  return true;
}
