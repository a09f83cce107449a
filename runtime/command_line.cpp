#include "runtime/command_line.h"

#include <cstring>

#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/program_state.h"
#include "runtime/stream.h"

namespace {

// ArgList points into this buffer for the whole run.
char commandLine[CommandLineSize];

char Fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool AllDigits(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
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

int16_t PortNumberOf(const char* digits) {
  return static_cast<int16_t>(ReadInt(String::Copy(digits)));
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

void ReadOptions() {
  BaudRate = 19200;
  EvenParity = false;
  for (int i = 1; i < ArgCount; ++i) {
    const char* item = ArgList[i];
    if (IsOptionItem(item)) {
      ReadOptionLetters(item + 1);
    } else if (std::strlen(item) > 3 && Fold(item[0]) == 'C' && Fold(item[1]) == 'O' &&
               Fold(item[2]) == 'M') {
      PortNumber = PortNumberOf(item + 3);
    } else if (AllDigits(item)) {
      PortNumber = PortNumberOf(item);
    } else {
      JobFile = String::Copy(item);
    }
  }
}

void UsageReport() {
  PutText(StandardOutput, "Usage: Quarnet [options] [Filename] [[COM]<port>]\r\n");
  PutText(StandardOutput, "\r\n");
  PutText(StandardOutput, "-d           Debug on\r\n");
  PutText(StandardOutput, "-dd          Detailed Debug on (shows com data)\r\n");
  FatalError("Incorrect arguments");
}
