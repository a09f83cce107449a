#include <fcntl.h>
#include <io.h>

#include "runtime/process.h"
#include "runtime/windows_api.h"
#include "runtime/windows_text.h"

int ProcessId() { return static_cast<int>(GetCurrentProcessId()); }

int ThreadId() { return static_cast<int>(GetCurrentThreadId()); }

String AccountName() {
  wchar_t name[257];
  DWORD length = sizeof name / sizeof name[0];
  return GetUserNameW(name, &length) && length > 0 ? String::Copy(Utf8Text(std::wstring_view(name, length - 1))) : String();
}

String ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = sizeof name / sizeof name[0];
  return GetComputerNameW(name, &length) ? String::Copy(Utf8Text(std::wstring_view(name, length))) : String();
}

std::string ProgramFile(const char* argv0) {
  std::wstring path(32768, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return argv0;
  return Utf8Text(std::wstring_view(path.data(), length));
}

bool IsTerminal(int descriptor) { return _isatty(descriptor) != 0; }

int TerminalColumns(int descriptor) {
  CONSOLE_SCREEN_BUFFER_INFO console;
  auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  if (!GetConsoleScreenBufferInfo(handle, &console)) return 0;
  return console.srWindow.Right - console.srWindow.Left + 1;
}

void UseBinaryStandardStreams() {
  for (int descriptor : {0, 1, 2}) _setmode(descriptor, _O_BINARY);
}

void LeaveOwnConsole() {
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();
}

// The size the console's reader was written for.
bool MakePipe(int ends[2]) { return _pipe(ends, 4096, _O_BINARY | _O_NOINHERIT) == 0; }

int DuplicateDescriptor(int descriptor) { return _dup(descriptor); }

bool RedirectDescriptor(int from, int descriptor) { return _dup2(from, descriptor) == 0; }
