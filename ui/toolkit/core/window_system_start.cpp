// Which backend runs, and the desktop services that only pass through to it.
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "runtime/message_box.h"
#include "ui/toolkit/core/headless_backend.h"
#include "ui/toolkit/core/window_core.h"

namespace {

std::mutex startLock;
// Not a static object, which the end of the process would destroy at a moment of its own:
// the FLTK backend's thread lives until the exit hook has stopped waiting for the
// operator to close the console, and then the hook stops it (EndConsole).
WindowBackend* backend = nullptr;
DisplayBackendStarter displayStarter = nullptr;

bool HeadlessWanted() {
  const char* choice = std::getenv("QUARNET_UI");
  return choice != nullptr && std::string_view(choice) == "headless";
}

int MessageBoxResponder(const String& text, const String& caption, int style) {
  return Backend().MessageBox(std::string(text.View()), std::string(caption.View()), style);
}

void Install(std::unique_ptr<WindowBackend> chosen) {
  delete backend;
  backend = chosen.release();
  ForgetFontMeasures();
  InstallMessageResponder(MessageBoxResponder);
}

}  // namespace

WindowBackend& Backend() {
  if (backend == nullptr) StartHeadlessWindowSystem();
  return *backend;
}

void StartWindowSystem() {
  std::lock_guard guard(startLock);
  if (backend != nullptr) return;
  std::unique_ptr<WindowBackend> chosen = HeadlessWanted() || displayStarter == nullptr ? nullptr : displayStarter();
  Install(chosen != nullptr ? std::move(chosen) : MakeHeadlessBackend());
}

void InstallDisplayBackend(DisplayBackendStarter starter) { displayStarter = starter; }

void StartHeadlessWindowSystem() {
  std::lock_guard guard(startLock);
  if (backend != nullptr) ClearWindowTable();
  Install(MakeHeadlessBackend());
}

bool WindowSystemIsHeadless() { return Backend().Headless(); }

void StopWindowSystem() {
  std::lock_guard guard(startLock);
  if (backend == nullptr) return;
  ClearWindowTable();
  InstallMessageResponder(nullptr);
  delete backend;
  backend = nullptr;
}

void SetMouseCursor(MouseCursor shape) { Backend().SetMouseCursor(shape); }

void MessageBeep() { Backend().Beep(); }

bool SetClipboardText(std::string_view text) {
  Backend().SetClipboard(std::string(text));
  return true;
}

std::string GetClipboardText() { return Backend().Clipboard(); }

bool ChooseFile(const FileDialogRequest& request, std::string& fileName) {
  std::optional<std::string> chosen = Backend().ChooseFile(request, fileName);
  if (!chosen) return false;
  fileName = *chosen;
  return true;
}
