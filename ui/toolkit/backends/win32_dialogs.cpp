#include "ui/toolkit/backends/win32_dialogs.h"

#include <commdlg.h>
#include <objbase.h>

#include <filesystem>
#include <vector>

namespace {

// The Win32 numbers the program's styles use: OK, OK and Cancel, Abort Retry Ignore,
// Yes No Cancel, Yes No, Retry Cancel; error, question, warning, information.
constexpr int LastButtons = MB_RETRYCANCEL;
constexpr int Icons[] = {MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING, MB_ICONINFORMATION};

UINT BoxStyle(int style) {
  UINT buttons = static_cast<UINT>(style & MB_TYPEMASK);
  if (buttons > LastButtons) buttons = MB_OK;
  UINT icon = 0;
  for (int known : Icons) {
    if ((style & MB_ICONMASK) == known) icon = static_cast<UINT>(known);
  }
  // The box comes to the front, though the thread that shows it has no window there.
  return buttons | icon | MB_SETFOREGROUND;
}

// "Description\0pattern\0" for each, ended by an empty pair.
std::wstring Filter(const FileChoice& choice) {
  std::wstring filter;
  for (const auto& [description, pattern] : choice.filter) {
    filter += WideText(description);
    filter += L'\0';
    filter += WideText(pattern);
    filter += L'\0';
  }
  filter += L'\0';
  return filter;
}

}  // namespace

int RunMessageBox(const std::string& text, const std::string& caption, int style, HWND owner) {
  return MessageBoxW(owner, WideText(text).c_str(), WideText(caption).c_str(), BoxStyle(style));
}

std::optional<std::string> RunFileDialog(const FileChoice& choice, HWND owner) {
  // The dialog hosts the desktop's shell extensions, which want the thread's COM.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  std::filesystem::path offered(std::u8string(choice.offered.begin(), choice.offered.end()));
  std::wstring folder = offered.has_parent_path() ? offered.parent_path().wstring() : WideText(choice.folder);
  std::wstring name = offered.filename().wstring();
  std::vector<wchar_t> file(32768, L'\0');
  name.copy(file.data(), file.size() - 1);
  std::wstring filter = Filter(choice);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = choice.filter.empty() ? nullptr : filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = choice.save ? L"Save As" : L"Open";
  // The toolkit itself asks before a file is replaced and says when one is missing, in
  // its own words (backend_dialogs.h), as on Linux.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  bool chosen = choice.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (SUCCEEDED(com)) CoUninitialize();
  if (!chosen || file[0] == L'\0') return std::nullopt;
  return Utf8Text(file.data());
}
