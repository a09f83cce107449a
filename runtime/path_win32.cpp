#include "runtime/path.h"
#include "runtime/windows_api.h"
#include "runtime/windows_text.h"

const bool ColonEndsDrive = true;

String CurrentDirectory() {
  wchar_t folder[32768];
  DWORD length = GetCurrentDirectoryW(sizeof folder / sizeof folder[0], folder);
  if (length == 0 || length >= sizeof folder / sizeof folder[0]) return {};
  return String::Copy(Utf8Text(std::wstring_view(folder, length)));
}
