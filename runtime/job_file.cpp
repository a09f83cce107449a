#include "runtime/job_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A job file holds a few lines; a larger file is some other program's data.
constexpr size_t LargestJobFile = size_t{1} << 20;

const char* KindOf(mode_t mode) {
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISDIR(mode)) return "a folder";
  return "no plain file";
}

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
bool ReadWhole(const std::string& name, std::string& text) {
  int descriptor = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return false;
  char buffer[65536];
  ssize_t got;
  while ((got = read(descriptor, buffer, sizeof buffer)) > 0 && text.size() <= LargestJobFile) {
    text.append(buffer, static_cast<size_t>(got));
  }
  int error = errno;
  close(descriptor);
  errno = error;
  return got == 0 || text.size() > LargestJobFile;
}

}  // namespace

bool CheckJobFile(const std::string& name, std::string& refusal) {
  if (name.empty()) return true;
  struct stat status;
  if (stat(name.c_str(), &status) != 0) {
    // A link to nothing is as good as missing: the write puts the file where the link is.
    if (errno == ENOENT) return true;
    return Refuse(name, std::string("cannot be examined: ") + std::strerror(errno), refusal);
  }
  if (!S_ISREG(status.st_mode)) {
    struct stat link;
    bool linked = lstat(name.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    return Refuse(name, std::string(linked ? "is a link to " : "is ") + KindOf(status.st_mode) + ", not an INI file",
                  refusal);
  }
  if (static_cast<size_t>(status.st_size) > LargestJobFile) {
    return Refuse(name, "is not an INI file (larger than 1 MiB)", refusal);
  }
  std::string text;
  if (!ReadWhole(name, text)) return Refuse(name, std::string("cannot be read: ") + std::strerror(errno), refusal);
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
