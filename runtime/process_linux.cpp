#include <climits>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "runtime/process.h"

int ProcessId() { return static_cast<int>(getpid()); }

int ThreadId() { return static_cast<int>(syscall(SYS_gettid)); }

String AccountName() {
  passwd* account = getpwuid(geteuid());
  return account != nullptr ? String::Copy(account->pw_name) : String();
}

String ComputerName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return String();
  return String::Copy(name);
}

std::string ProgramFile(const char* argv0) {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return argv0;
  return std::string(path, static_cast<size_t>(length));
}

bool IsTerminal(int descriptor) { return isatty(descriptor) == 1; }

int TerminalColumns(int descriptor) {
  winsize size{};
  return ioctl(descriptor, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void UseBinaryStandardStreams() {}

void LeaveOwnConsole() {}

bool MakePipe(int ends[2]) { return pipe(ends) == 0; }

int DuplicateDescriptor(int descriptor) { return dup(descriptor); }

bool RedirectDescriptor(int from, int descriptor) { return dup2(from, descriptor) >= 0; }
