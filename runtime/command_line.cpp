#include "runtime/command_line.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <utility>

#include "runtime/console_streams.h"
#include "runtime/job_file.h"
#include "runtime/log.h"
#include "runtime/program_state.h"
#include "runtime/stream.h"

namespace {

// ArgList points into this buffer for the whole run.
char commandLine[CommandLineSize];

char Fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Windows numbers COM ports up to 255, and the unit documentation follows it.
constexpr int HighestComPort = 255;

constexpr const char* PortForms = "a port is COM1 to COM255, its number alone, or a device path such as /dev/ttyUSB0";

bool AllDigits(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

// Digits only, held below HighestComPort + 1 as they are read, so that no number wraps
// round to a port ("65543" is no COM7).
bool ReadComNumber(const char* digits, int16_t& number) {
  if (*digits == '\0' || !AllDigits(digits)) return false;
  int value = 0;
  for (const char* c = digits; *c != '\0'; ++c) value = std::min(value * 10 + (*c - '0'), HighestComPort + 1);
  if (value < 1 || value > HighestComPort) return false;
  number = static_cast<int16_t>(value);
  return true;
}

bool StartsWithCom(const char* item) {
  return Fold(item[0]) == 'C' && Fold(item[1]) == 'O' && Fold(item[2]) == 'M';
}

// A tty, or a path under /dev/ that leads nowhere yet: a serial adapter unplugged for
// the moment is still the port named, its absence for the open to report. Whatever
// else is in /dev/ (a disk, a folder, a file in /dev/shm) is no port.
bool IsDevicePath(const char* path) {
  struct stat status;
  if (stat(path, &status) == 0) return S_ISCHR(status.st_mode);
  return std::strncmp(path, "/dev/", 5) == 0;
}

// '/' starts options on the original platform and paths on Linux: an item with a
// further '/' or a '.' is a path, so "/dd" stays an option and "/tmp/job.ini" a job file.
bool IsOptionItem(const char* item) {
  if (item[0] == '-' || item[0] == '+') return true;
  return item[0] == '/' && std::strpbrk(item + 1, "/.") == nullptr;
}

void ReadOptionLetters(const char* letters) {
  for (const char* c = letters; *c != '\0'; ++c) {
    if (Fold(*c) != 'D') UsageReport();
    DebugOn = true;
    if (c[1] == '\0') break;
    ++c;
    if (Fold(*c) == 'D') DetailedDebugOn = true;
  }
}

enum class ValueOption { None, Port, JobFile };

// Which of the options that take a value the item is: "-p" (or "/p", "+p") with its
// value in the next item, "--port" and "--job" with theirs in the next item or after
// '='. `attached` is that value, or nullptr when it is in the next item.
ValueOption ValueOptionOf(const char* item, const char*& attached) {
  attached = nullptr;
  if (IsOptionItem(item) && Fold(item[1]) == 'P' && item[2] == '\0') return ValueOption::Port;
  for (auto [name, option] : {std::pair{"--port", ValueOption::Port}, std::pair{"--job", ValueOption::JobFile}}) {
    size_t length = std::strlen(name);
    if (std::strncmp(item, name, length) != 0) continue;
    if (item[length] == '\0') return option;
    if (item[length] == '=') {
      attached = item + length + 1;
      return option;
    }
  }
  return ValueOption::None;
}

void ChoosePort(PortItem kind, int16_t number, const char* item) {
  if (kind == PortItem::ComPort) {
    PortNumber = number;
    PortPath.Clear();
  } else {
    PortNumber = PathPortNumber;
    PortPath = String::Copy(item);
  }
}

// Whether the last item refused was the job file rather than an item written wrong.
bool jobFileRefused = false;

bool TakeJobFile(const char* item, bool apply, std::string& error) {
  if (!CheckJobFile(item, error)) {
    jobFileRefused = true;
    return false;
  }
  if (apply) JobFile = String::Copy(item);
  return true;
}

// The value of a port option can only be a port; an item of its own that is no port
// is the job file.
bool TakePortOrJobFile(const char* item, bool portOption, bool apply, std::string& error) {
  int16_t number = 0;
  PortItem kind = ReadPortItem(item, number);
  if (kind == PortItem::BadPort || (portOption && kind == PortItem::NotAPort)) {
    error = std::string(item) + " is not a port: " + PortForms;
    return false;
  }
  if (kind == PortItem::NotAPort) return TakeJobFile(item, apply, error);
  if (apply) ChoosePort(kind, number, item);
  return true;
}

// Every item after the program's, in order; with `apply` the option values are set as
// the items come, option letters included, otherwise the items are only checked.
bool ReadItems(bool apply, std::string& error) {
  for (int i = 1; i < ArgCount; ++i) {
    const char* item = ArgList[i];
    const char* value = nullptr;
    ValueOption option = ValueOptionOf(item, value);
    if (option != ValueOption::None && value == nullptr && i + 1 < ArgCount) value = ArgList[++i];
    if (option != ValueOption::None && (value == nullptr || *value == '\0')) {
      std::string name(item, std::strcspn(item, "="));
      error = name + (option == ValueOption::Port ? " needs a port" : " needs a file name");
      return false;
    }
    bool taken = true;
    if (option == ValueOption::Port) {
      taken = TakePortOrJobFile(value, true, apply, error);
    } else if (option == ValueOption::JobFile) {
      taken = TakeJobFile(value, apply, error);
    } else if (IsOptionItem(item)) {
      if (apply) ReadOptionLetters(item + 1);
    } else {
      taken = TakePortOrJobFile(item, false, apply, error);
    }
    if (!taken) return false;
  }
  return true;
}

}  // namespace

std::string BuildCommandLine(const char* programPath, int argc, const char* const* argv) {
  std::string text;
  for (int i = 0; i < argc; ++i) {
    const char* item = i == 0 ? programPath : argv[i];
    if (i > 0) text += ' ';
    bool quote = *item == '\0' || std::strchr(item, ' ') != nullptr;
    if (quote) text += '"';
    text += item;
    if (quote) text += '"';
  }
  return text;
}

void SplitCommandLine(const char* text) {
  std::strncpy(commandLine, text, CommandLineSize - 1);
  commandLine[CommandLineSize - 1] = '\0';
  for (const char*& item : ArgList) item = nullptr;
  ArgCount = 0;
  char* at = commandLine;
  while (*at != '\0' && ArgCount < MaxArguments) {
    char* end;
    if (*at == '"') {
      ArgList[ArgCount++] = at + 1;
      end = std::strchr(at + 1, '"');
      if (end == nullptr) break;
      *end++ = '\0';
    } else {
      ArgList[ArgCount++] = at;
      end = at + std::strcspn(at, " ");
    }
    at = end;
    if (*at == ' ') {
      *at++ = '\0';
      while (*at == ' ') ++at;
    }
  }
}

PortItem ReadPortItem(const char* item, int16_t& number) {
  if (*item != '\0' && AllDigits(item)) return ReadComNumber(item, number) ? PortItem::ComPort : PortItem::BadPort;
  if (StartsWithCom(item) && item[3] != '\0') {
    const char* rest = item + 3;
    if (AllDigits(rest)) return ReadComNumber(rest, number) ? PortItem::ComPort : PortItem::BadPort;
    // "COM3.ini" and "com/job" are file names; any other item starting with COM is a
    // mistyped port, which must not become a job file nor a search of every port.
    return std::strpbrk(rest, "./") == nullptr ? PortItem::BadPort : PortItem::NotAPort;
  }
  return IsDevicePath(item) ? PortItem::DevicePath : PortItem::NotAPort;
}

ItemsFault CheckPortAndJobFile(std::string& error) {
  jobFileRefused = false;
  if (ReadItems(false, error)) return ItemsFault::None;
  return jobFileRefused ? ItemsFault::JobFileRefused : ItemsFault::Mistake;
}

void ReadOptions() {
  BaudRate = 19200;
  EvenParity = false;
  if (std::string error; !ReadItems(true, error)) {
    PutText(StandardOutput, error);
    PutText(StandardOutput, "\r\n");
    UsageReport();
  }
}

void UsageReport() {
  PutText(StandardOutput, "Usage: Quarnet [options] [Filename] [[COM]<port>]\r\n");
  PutText(StandardOutput, "\r\n");
  PutText(StandardOutput, "-d           Debug on\r\n");
  PutText(StandardOutput, "-dd          Detailed Debug on (shows com data)\r\n");
  FatalError("Incorrect arguments");
}
